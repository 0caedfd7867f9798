#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>

#include <functional>

class TScenarClass;

// A scenario row's entries in the protocol, shown in the desktop's browser: a small frameset page holds
// the protocol list page and the data page, each at the row's entry.

// The folder the row's pages are in: the protocol's build folder while it is open or a repeat series is
// under way, otherwise the folder the protocol was filed to.
QString ScenarioProtocolBase(const TScenarClass &scenario);

// The frameset page over two references "<page>#<anchor>" in the folder (windows-1251).
QByteArray RowProtocolFrameset(const QString &folder, const QString &listReference, const QString &dataReference);

// Writes the frameset page into the temporary folder and opens it (through `open`, the desktop's browser
// when empty). Without a scenario name the user is told "Не задано имя сценария!" and nothing opens.
void ShowProtocol(const TScenarClass &scenario, const QString &listReference, const QString &dataReference,
                  const std::function<void(const QUrl &)> &open);
