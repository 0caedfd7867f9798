#pragma once

#include <QByteArray>
#include <QString>

// A text for the remote analyser as a remote-link message: the header {0, 0} (a text record does not
// mark the header), the record SendTxt_R (type 240) carrying the text as {int32 length; windows-1251
// bytes}, and one zero byte when the length would be odd.
QByteArray BuildTextMessage(const QString &text);

// The remote link's messages are not built yet: this hands the one record the text-message window
// sends to what the link offers today. The message goes into RemoteMessage and out with the message
// command of SendCommand, as SendRemoteMessage with the single code SendTxt_R will do. A message above
// 16000 words is refused with the size message and nothing is sent; false then.
bool SendTextMessage(const QString &text);
