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

void LinkTrace::Close() {
    if (!IsOpen())
        return;
    for (const char *c = "STOP\r\n"; *c; ++c)
        Append(*c);
    Write();
    TraceFile.flush();
    TraceFile.close();
}
