#pragma once

#include "link/LinkScheduler.h"

#include <QFile>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <initializer_list>

// The frame trace of a link: one short token per frame event ("r012", "sA70", "####"), separated by
// blanks, about 70 characters a line, collected in a small buffer and written in pieces.
class LinkTrace {
public:
    // Creates the file anew; false when it cannot be created.
    bool Create(const QString &path);
    bool IsOpen() const { return TraceFile.isOpen(); }
    // Appends the token text followed by its digits ('0' to '7') and a blank.
    void Token(const char *text, std::initializer_list<int> digits = {});
    // The token of what a received frame meant ("r", "#", "rA", "rE", "r=", "r?", "rB"; nothing else is
    // traced) and of the frame a scheduler pass sent, with the header digits the trace shows.
    void Received(LinkScheduler::RxEvent event, int h1, int h2);
    void Sent(LinkScheduler::TxEvent event, int h1, int h2);
    // Appends "STOP", writes what is left and closes the file.
    void Close();

private:
    static constexpr std::size_t BufferSize = 1024;
    static constexpr std::size_t WriteAt = 1004;
    static constexpr int LineWidth = 70;

    void Append(char c);
    void Write();

    QFile TraceFile;
    char TraceBuf[BufferSize] = {};
    std::size_t TraceEnd = 0;
    int TraceColumn = 0;
};
