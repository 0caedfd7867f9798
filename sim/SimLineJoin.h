#pragma once

#include <memory>
#include <string>
#include <thread>

class SimInstrument;

// The simulated instrument of this program joined to a measured line that runs in another process
// (SimRemoteLine listening on a Unix-domain socket): the messages the program hands its instrument go to
// the line, and what the line brings back (a message from the peer, the end of a transmission, an input
// error) reaches the program through the instrument as the real one reports it.
class SimLineJoin {
public:
    SimLineJoin(std::shared_ptr<SimInstrument> instrument, const std::string &socketPath);
    ~SimLineJoin();
    SimLineJoin(const SimLineJoin &) = delete;
    SimLineJoin &operator=(const SimLineJoin &) = delete;

    bool Joined() const { return fd_ >= 0; }

private:
    void Read();

    std::shared_ptr<SimInstrument> instrument_;
    int fd_ = -1;
    std::thread reader_;
};

// The environment variable that names the line's socket for a program on the simulated instrument.
inline constexpr const char *SimLineVariable = "R9_SIM_LINE";
