#pragma once

#include <QString>

// The HTML measurement protocol of this copy, built in Report\Temp<n>\ of the program folder.

// Paths of the start page "_Start_<n>.html" and the list pages "cnt0_<n>.html" and "cnt1_<n>.html"; the
// protocol counts as open when all three exist.
void InitProtocolFiles();
bool ProtocolOpen();
QString ProtocolFolder(); // Report/Temp<n>/

// Files an open protocol away. At start (startUp set) the protocol an earlier run left open goes to
// Report\UnsavedProtocol\, or, when a protocol filed there before holds one of its page names, to a
// folder of its own inside it named after the moment, so that its pages keep their names and links.
// The start page's path stays in UnsavedProtocolStartPage for the notice, and the folder the pages went
// to in UnsavedProtocolFolder; UnsavedProtocolMoved is false when a page could not be moved (it stays
// where it was, and the protocol stays open).
void CloseProtocol(bool startUp);
extern QString UnsavedProtocolStartPage;
extern QString UnsavedProtocolFolder;
extern bool UnsavedProtocolMoved;

// Report/Temp<n> and the protocol's own pages, for n = InstanceNumber.
QString ProtocolStartPage();
