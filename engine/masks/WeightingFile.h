#pragma once

#include <QByteArray>
#include <QString>

#include <optional>
#include <vector>

// The weighting characteristic file *.9wf: text in windows-1251, one point per line, the frequency in kHz
// and the weighting value in dB read like "%f  %f" in the C locale; a line holding "==" is a comment or
// header. The points keep the order of the file.
struct TWeightingPoints {
    std::vector<float> X; // kHz
    std::vector<float> Y; // dB
};

// The points of a file's bytes. A line that does not begin with two finite numbers (an empty line, text,
// a number beyond single precision) is skipped, so it can neither add an undefined point nor hide the
// points around it.
TWeightingPoints ParseWeightingFile(const QByteArray &bytes);

// ParseWeightingFile of a file; nothing when the file cannot be read.
std::optional<TWeightingPoints> ReadWeightingFile(const QString &path);
