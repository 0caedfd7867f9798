#include "link/LinkTrace.h"

bool LinkTrace::Create(const QString &path) {
    Close();
    TraceEnd = 0;
    TraceColumn = 0;
    TraceFile.setFileName(path);
    return TraceFile.open(QIODevice::WriteOnly | QIODevice::Truncate);
}

void LinkTrace::Append(char c) {
    if (TraceEnd < BufferSize)
        TraceBuf[TraceEnd++] = c;
}

void LinkTrace::Write() {
    if (TraceEnd)
        TraceFile.write(TraceBuf, qint64(TraceEnd));
    TraceEnd = 0;
}

void LinkTrace::Token(const char *text, std::initializer_list<int> digits) {
    if (!IsOpen())
        return;
    for (const char *c = text; *c; ++c, ++TraceColumn)
        Append(*c);
    for (int digit : digits) {
        Append(char('0' + (digit & 7)));
        ++TraceColumn;
    }
    Append(' ');
    ++TraceColumn;
    if (TraceColumn > LineWidth) {
        Append('\r');
        Append('\n');
        TraceColumn = 0;
    }
    if (TraceEnd >= WriteAt)
        Write();
}

void LinkTrace::Received(LinkScheduler::RxEvent event, int h1, int h2) {
    using Rx = LinkScheduler::RxEvent;
    switch (event) {
    case Rx::Accepted:
        Token("r", {h1 >> 3, h1, h2});
        break;
    case Rx::OutOfSequence:
        Token("#", {h1 >> 3, h1, h2});
        break;
    case Rx::BadFrame:
        Token("####");
        break;
    case Rx::Ack:
        Token("rA", {h1, h2});
        break;
    case Rx::Reject:
        Token("rE", {h1, h2});
        break;
    case Rx::Answer:
        Token("r=", {h1, h2});
        break;
    case Rx::Query:
        Token("r?", {h1, h2});
        break;
    case Rx::Break:
        Token("rB", {h1, h2});
        break;
    case Rx::None:
        break;
    }
}

void LinkTrace::Sent(LinkScheduler::TxEvent event, int h1, int h2) {
    static const char *const tokens[] = {"", "sE", "s=", "s?", "s", "sA"};
    if (event == LinkScheduler::TxEvent::Data)
        Token("s", {h1 >> 3, h1, h2});
    else if (event != LinkScheduler::TxEvent::None)
        Token(tokens[int(event)], {h1, h2});
}

void LinkTrace::Close() {
    if (!IsOpen())
        return;
    for (const char *c = "STOP\r\n"; *c; ++c)
        Append(*c);
    Write();
    TraceFile.flush();
    TraceFile.close();
}
