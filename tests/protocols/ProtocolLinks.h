#pragma once

#include "support/Fixtures.h"

#include <QProcess>
#include <QStringList>

#include <gtest/gtest.h>

// Parses every page of the protocol folders with Python's html.parser: each must be windows-1251 with
// its META line, and each href and src must name a file that exists and an anchor that it holds.
inline void ExpectLinksResolve(const QStringList &folders) {
    QProcess python;
    python.setProcessChannelMode(QProcess::MergedChannels);
    python.start(QStringLiteral("python3"),
                 QStringList{FixturePath(QStringLiteral("protocols/check_links.py"))} + folders);
    ASSERT_TRUE(python.waitForFinished(60000));
    const QString report = QString::fromUtf8(python.readAll());
    EXPECT_EQ(python.exitCode(), 0) << report.toStdString();
    EXPECT_FALSE(report.startsWith(QStringLiteral("0 pages"))) << report.toStdString();
}
