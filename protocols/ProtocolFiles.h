#pragma once

#include <QString>

// The HTML measurement protocol of this copy, built in Report\Temp<n>\ of the program folder.

// Paths of the start page "_Start_<n>.html" and the list pages "cnt0_<n>.html" and "cnt1_<n>.html"; the
// protocol counts as open when all three exist.
void InitProtocolFiles();
bool ProtocolOpen();
QString ProtocolFolder(); // Report/Temp<n>/

// Files an open protocol away. At start (startUp set) the protocol an earlier run left open goes to
// Report\UnsavedProtocol\, and its start page's path stays in UnsavedProtocolStartPage for the notice.
void CloseProtocol(bool startUp);
extern QString UnsavedProtocolStartPage;

// Report/Temp<n> and the protocol's own pages, for n = InstanceNumber.
QString ProtocolStartPage();
