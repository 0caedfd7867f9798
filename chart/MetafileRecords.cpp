#include "chart/MetafileRecords.h"

#include <algorithm>
#include <bit>
#include <optional>

void MetafileBytes::U16(std::uint16_t v) {
    data_.append(char(v & 0xFF));
    data_.append(char(v >> 8));
}

void MetafileBytes::U32(std::uint32_t v) {
    U16(std::uint16_t(v & 0xFFFF));
    U16(std::uint16_t(v >> 16));
}

void MetafileBytes::I16(int v) {
    U16(std::uint16_t(std::int16_t(std::clamp(v, -32768, 32767))));
}

void MetafileBytes::I32(std::int32_t v) {
    U32(std::uint32_t(v));
}

void MetafileBytes::F32(float v) {
    U32(std::bit_cast<std::uint32_t>(v));
}

void MetafileBytes::Bytes(const QByteArray &bytes) {
    data_.append(bytes);
}

void MetafileBytes::PadTo(int alignment) {
    while (data_.size() % alignment != 0)
        data_.append('\0');
}

void MetafileBytes::PutU32At(qsizetype offset, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        data_[offset + i] = char((v >> (8 * i)) & 0xFF);
}

namespace {

// One kind of object (pens, brushes or fonts) and the slot selected of that kind.
template <typename Value> struct ObjectKind {
    std::vector<std::pair<Value, int>> made;
    std::optional<int> selected;
};

class Player {
public:
    explicit Player(MetafileRecordSink &sink) : sink_(sink) {}

    void Play(const MetafileItem &item) {
        SetClip(item.clip);
        switch (item.kind) {
        case MetafileItem::Kind::Polyline:
            if (item.points.size() < 2)
                return;
            Use(pens_, item.pen, &MetafileRecordSink::CreatePen);
            sink_.Polyline(item.points);
            break;
        case MetafileItem::Kind::Polygon:
            if (item.points.size() < 3)
                return;
            Use(pens_, item.pen, &MetafileRecordSink::CreatePen);
            Use(brushes_, item.brush, &MetafileRecordSink::CreateBrush);
            sink_.Polygon(item.points);
            break;
        case MetafileItem::Kind::Text:
            if (item.text.isEmpty() || item.points.empty())
                return;
            Use(fonts_, item.font, &MetafileRecordSink::CreateFont);
            if (textColour_ != item.pen.colour) {
                sink_.SetTextColour(item.pen.colour);
                textColour_ = item.pen.colour;
            }
            sink_.Text(item.points.front(), item.text, item.advances);
            break;
        }
    }

    void Finish() { SetClip({}); }
    int SlotCount() const { return slotCount_; }

private:
    template <typename Value, typename Create> void Use(ObjectKind<Value> &kind, const Value &value, Create create) {
        auto it = std::find_if(kind.made.begin(), kind.made.end(), [&](const auto &m) { return m.first == value; });
        int slot;
        if (it == kind.made.end()) {
            slot = FreeSlot();
            (sink_.*create)(slot, value);
            kind.made.emplace_back(value, slot);
        } else {
            slot = it->second;
        }
        if (kind.selected != slot) {
            sink_.SelectObject(slot);
            kind.selected = slot;
        }
    }

    int FreeSlot() { return slotCount_++; }

    void SetClip(const QRect &clip) {
        const QRect wanted = clip.isEmpty() ? QRect() : clip;
        if (wanted == clip_)
            return;
        if (!clip_.isNull()) {
            // a restored state brings back the selections and the text colour of the saved one
            sink_.RestoreDC();
            pens_.selected.reset();
            brushes_.selected.reset();
            fonts_.selected.reset();
            textColour_.reset();
        }
        clip_ = wanted;
        if (!clip_.isNull()) {
            sink_.SaveDC();
            sink_.IntersectClipRect(clip_);
        }
    }

    MetafileRecordSink &sink_;
    ObjectKind<MetafilePen> pens_;
    ObjectKind<MetafileBrush> brushes_;
    ObjectKind<MetafileFont> fonts_;
    std::optional<std::uint32_t> textColour_;
    int slotCount_ = 0;
    QRect clip_;
};

} // namespace

int PlayMetafileDrawing(const MetafileDrawing &drawing, MetafileRecordSink &sink) {
    Player player(sink);
    for (const MetafileItem &item : drawing.items)
        player.Play(item);
    player.Finish();
    return player.SlotCount();
}
