// Any bytes as a mask file: the reader of the masks in force and the mask editor's Open take them.
// Neither may crash or keep a number that is not finite, the reader's failure leaves no points, and
// what the editor saves of a file reads back to the same bytes when saved again.
#include "engine/masks/MaskEditFile.h"
#include "engine/masks/MaskFile.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace {

bool AllFinite(const std::vector<TMaskPoint> &points) {
    for (const TMaskPoint &p : points)
        if (!std::isfinite(p.x) || !std::isfinite(p.y))
            return false;
    return true;
}

QByteArray SavedAgain(const TMaskEditContents &contents) {
    std::vector<TMaskRow> rows;
    for (const TMaskPoint &p : contents.Points)
        rows.push_back({MaskCellText(p.x), MaskCellText(p.y)});
    return MaskEditFileText(MaskCommentLines(contents.Comment), rows);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));

    const TMaskFileContents read = ParseMaskPoints(bytes);
    if (!AllFinite(read.Points) || (!read.Error.isEmpty() && !read.Points.empty()))
        std::abort();

    const TMaskEditContents shown = ParseMaskEditFile(bytes);
    if (!AllFinite(shown.Points))
        std::abort();
    const QByteArray saved = SavedAgain(shown);
    const TMaskEditContents reopened = ParseMaskEditFile(saved);
    if (reopened.Points.size() != shown.Points.size() || reopened.Comment.size() != shown.Comment.size() ||
        SavedAgain(reopened) != saved)
        std::abort();

    std::vector<TMaskRow> rows;
    for (const TMaskPoint &p : shown.Points)
        rows.push_back({MaskCellText(p.x), MaskCellText(p.y)});
    for (const TMaskKind &kind : MaskKindTable) {
        std::vector<TMaskRow> checked = rows;
        const TMaskCheck check = CheckMaskRows(checked, kind);
        if (!check.Ok && (check.Row < -1 || check.Row >= int(checked.size())))
            std::abort();
    }
    return 0;
}
