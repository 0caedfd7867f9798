// Reads commands on stdin, one per line, and answers each on stdout:
//   E D <seq> <rxLast> <consumed> <type> <payload hex or ->   encodes a data frame
//   E C <kind> <rxLast> <consumed>                           encodes a control frame
//   D <wire hex>                                             decodes, one line per result, then "."
// Encodings are answered as hex; decoded results as "F D seq rxLast consumed type payload",
// "F C kind rxLast consumed" or "X" for a failure.
#include "sim/SimFrameCodec.h"

#include <iostream>
#include <sstream>
#include <string>

namespace {

std::vector<std::uint8_t> FromHex(const std::string &hex) {
    std::vector<std::uint8_t> bytes;
    if (hex == "-")
        return bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes.push_back(std::uint8_t(std::stoi(hex.substr(i, 2), nullptr, 16)));
    return bytes;
}

std::string ToHex(const std::vector<std::uint8_t> &bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string hex;
    for (std::uint8_t byte : bytes) {
        hex += digits[byte >> 4];
        hex += digits[byte & 15];
    }
    return hex.empty() ? "-" : hex;
}

} // namespace

int main() {
    std::string line;
    while (std::getline(std::cin, line)) {
        std::istringstream in(line);
        std::string op;
        in >> op;
        if (op == "E") {
            std::string kind;
            SimFrame frame;
            in >> kind;
            if (kind == "D") {
                std::string payload;
                in >> frame.sequence >> frame.rxLast >> frame.consumed >> frame.type >> payload;
                frame.payload = FromHex(payload);
            } else {
                frame.control = true;
                in >> frame.kind >> frame.rxLast >> frame.consumed;
            }
            std::cout << ToHex(SimEncodeFrame(frame)) << '\n';
        } else if (op == "D") {
            std::string wire;
            in >> wire;
            SimFrameDecoder decoder;
            for (std::uint8_t byte : FromHex(wire)) {
                const SimFrameDecoder::Result result = decoder.Feed(byte);
                const SimFrame &f = decoder.Frame();
                if (result == SimFrameDecoder::Result::Failure)
                    std::cout << "X\n";
                else if (result == SimFrameDecoder::Result::Frame && f.control)
                    std::cout << "F C " << f.kind << ' ' << f.rxLast << ' ' << f.consumed << '\n';
                else if (result == SimFrameDecoder::Result::Frame)
                    std::cout << "F D " << f.sequence << ' ' << f.rxLast << ' ' << f.consumed << ' ' << f.type << ' '
                              << ToHex(f.payload) << '\n';
            }
            std::cout << ".\n";
        }
        std::cout.flush();
    }
    return 0;
}
