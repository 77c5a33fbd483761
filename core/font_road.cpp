#include "core/font_road.h"

#include <algorithm>
#include <atomic>
#include <random>

#include <hb-ot.h>

#include "core/harfbuzz_owners.h"
#include "core/sfnt_view.h"
#include "core/ots_headers.h"

namespace glyphpeek {
namespace {

using namespace sfnt;

// The sanitiser's output never needs to be larger than this; a web font that would decode beyond it
// is a bomb, refused rather than held in memory.
constexpr std::size_t kMaxDecodedBytes = 128u * 1024 * 1024;

// Quiet: refusals are answered as "not a font", never logged. Unknown tables (bitmap strikes,
// Graphite) are dropped, as the sanitiser does by default.
class QuietSanitiser : public ots::OTSContext {};

std::optional<std::vector<std::uint8_t>> Sanitise(std::span<const std::uint8_t> bytes,
                                                  std::uint32_t index = static_cast<std::uint32_t>(-1)) {
    if (bytes.empty()) return std::nullopt;
    QuietSanitiser sanitiser;
    ots::ExpandingMemoryStream out(std::min<std::size_t>(bytes.size() + 1024, kMaxDecodedBytes), kMaxDecodedBytes);
    if (!sanitiser.Process(&out, bytes.data(), bytes.size(), index)) return std::nullopt;
    const auto* data = static_cast<const std::uint8_t*>(out.get());
    return std::vector<std::uint8_t>(data, data + out.Tell());
}

void PutU16(std::vector<std::uint8_t>& out, std::size_t at, std::uint16_t value) {
    out[at] = static_cast<std::uint8_t>(value >> 8);
    out[at + 1] = static_cast<std::uint8_t>(value);
}

void PutU32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t value) {
    PutU16(out, at, static_cast<std::uint16_t>(value >> 16));
    PutU16(out, at + 2, static_cast<std::uint16_t>(value));
}

void AppendU16(std::vector<std::uint8_t>& out, std::uint16_t value) {
    out.push_back(static_cast<std::uint8_t>(value >> 8));
    out.push_back(static_cast<std::uint8_t>(value));
}

std::uint32_t Checksum(std::span<const std::uint8_t> data) {
    std::uint32_t sum = 0;
    for (std::size_t i = 0; i < data.size(); i += 4) {
        std::uint32_t word = 0;
        for (std::size_t b = 0; b < 4; ++b) word = word << 8 | (i + b < data.size() ? data[i + b] : 0);
        sum += word;
    }
    return sum;
}

std::vector<std::uint8_t> NameTable(const FaceNames& names) {
    const std::u16string style = names.bold && names.italic ? u"Bold Italic"
                                 : names.bold               ? u"Bold"
                                 : names.italic             ? u"Italic"
                                                            : u"Regular";
    std::u16string postScript;
    for (char16_t c : names.family)
        if (c > u' ' && c < 0x7F) postScript.push_back(c);
    const std::pair<std::uint16_t, std::u16string> entries[] = {
        {1, names.family}, {2, style}, {4, names.family + u" " + style}, {6, postScript}};
    std::vector<std::uint8_t> table;
    constexpr std::uint16_t kCount = std::size(entries);
    AppendU16(table, 0);
    AppendU16(table, kCount);
    AppendU16(table, static_cast<std::uint16_t>(6 + 12 * kCount));
    std::vector<std::uint8_t> strings;
    for (const auto& [id, text] : entries) {
        AppendU16(table, 3);       // Windows
        AppendU16(table, 1);       // Unicode BMP
        AppendU16(table, 0x0409);  // US English
        AppendU16(table, id);
        AppendU16(table, static_cast<std::uint16_t>(2 * text.size()));
        AppendU16(table, static_cast<std::uint16_t>(strings.size()));
        for (char16_t c : text) AppendU16(strings, c);
    }
    table.insert(table.end(), strings.begin(), strings.end());
    return table;
}

// Fonts have a handful of axes (Roboto Flex, with thirteen, is among the most); more, times the
// instances, would only be a hostile file's way to make us hold millions of pins.
constexpr unsigned kMaxAxes = 64;

bool HasTable(hb_face_t* face, hb_tag_t tag) {
    const HbBlob table(hb_face_reference_table(face, tag));
    return hb_blob_get_length(table.get()) > 0;
}

// Up to 256 units of a name, in English where the font has it.
std::u16string NameOf(hb_face_t* face, hb_ot_name_id_t id) {
    if (id == HB_OT_NAME_ID_INVALID) return {};
    std::u16string text(257, u'\0');
    unsigned length = static_cast<unsigned>(text.size());
    hb_ot_name_get_utf16(face, id, HB_LANGUAGE_INVALID, &length, reinterpret_cast<std::uint16_t*>(text.data()));
    text.resize(std::min<std::size_t>(length, 256));
    return text;
}

// The face cut to `characters`; with `instance`, every axis at its default, then at `pins`.
HbFace Cut(hb_face_t* face, std::u32string_view characters, std::span<const AxisPin> pins, bool instance) {
    const HbSubsetInput input(hb_subset_input_create_or_fail());
    if (!input) return nullptr;
    hb_set_t* unicodes = hb_subset_input_unicode_set(input.get());
    hb_set_add(unicodes, U' ');
    for (char32_t c : characters) hb_set_add(unicodes, c);
    if (instance) {
        if (!hb_subset_input_pin_all_axes_to_default(input.get(), face)) return nullptr;
        for (const AxisPin& pin : pins)  // clamped to the axis's range by HarfBuzz
            if (!hb_subset_input_pin_axis_location(input.get(), face, pin.tag, pin.value)) return nullptr;
    }
    HbFace cut(hb_subset_or_fail(face, input.get()));
    // An instance must be a static font: the engine is never handed variations.
    if (cut && instance && HasTable(cut.get(), HB_TAG('f', 'v', 'a', 'r'))) return nullptr;
    return cut;
}

std::vector<std::uint8_t> Drawable(hb_face_t* face, std::u32string_view characters, const FaceNames& names,
                                   std::span<const AxisPin> pins, bool instance) {
    const HbFace subset = Cut(face, characters, pins, instance);
    if (!subset) return {};
    const HbBlob blob(hb_face_reference_blob(subset.get()));
    unsigned length = 0;
    const char* data = hb_blob_get_data(blob.get(), &length);
    if (!data || length == 0) return {};
    const auto renamed = WithOwnNames(std::span(reinterpret_cast<const std::uint8_t*>(data), length), names);
    if (!renamed) return {};
    auto sanitised = Sanitise(*renamed);
    return sanitised ? std::move(*sanitised) : std::vector<std::uint8_t>{};
}

} // namespace

FontFormat DetectFontFormat(std::span<const std::uint8_t> bytes) noexcept {
    if (bytes.size() < 4) return FontFormat::kUnknown;
    switch (std::uint32_t{bytes[0]} << 24 | std::uint32_t{bytes[1]} << 16 | std::uint32_t{bytes[2]} << 8 | bytes[3]) {
    case kVersionTrueType:
    case kVersionApple: return FontFormat::kTrueType;
    case kVersionCff: return FontFormat::kCff;
    case kCollection: return FontFormat::kCollection;
    case Tag('w', 'O', 'F', 'F'): return FontFormat::kWoff;
    case Tag('w', 'O', 'F', '2'): return FontFormat::kWoff2;
    default: return FontFormat::kUnknown;
    }
}

std::optional<FontBytes> FontBytes::From(std::vector<std::uint8_t> file) {
    std::vector<std::uint8_t> owned = std::move(file);
    return Read(owned, &owned);
}

std::optional<FontBytes> FontBytes::Over(std::span<const std::uint8_t> file) { return Read(file, nullptr); }

std::optional<FontBytes> FontBytes::Read(std::span<const std::uint8_t> file, std::vector<std::uint8_t>* owned) {
    FontBytes font;
    font.format_ = DetectFontFormat(file);
    switch (font.format_) {
    case FontFormat::kUnknown: return std::nullopt;
    case FontFormat::kWoff:
    case FontFormat::kWoff2: {
        auto decoded = Sanitise(file);
        if (!decoded) return std::nullopt;
        font.bytes_ = std::move(*decoded);
        font.view_ = font.bytes_;
        break;
    }
    default:
        if (owned) {
            font.bytes_ = std::move(*owned);
            font.view_ = font.bytes_;
        } else {
            font.view_ = file;
        }
        break;
    }
    BigEndianReader in(font.view_);
    if (in.U32(0) == kCollection) {
        font.members_ = in.U32(kCollectionNumFonts);
        if (in.failed() || font.members_ == 0 || font.members_ > kMaxCollectionMembers) return std::nullopt;
    }
    return font;
}

std::u16string UniqueFamilyName() {
    // Seeded once per process; the counter keeps two names of one process apart.
    static const std::uint64_t seed = [] {
        std::random_device device;
        return std::uint64_t{device()} << 32 ^ device();
    }();
    static std::atomic<std::uint64_t> counter{0};
    std::uint64_t value = seed + 0x9E3779B97F4A7C15ull * ++counter;
    std::u16string name = u"GP";
    for (int shift = 60; shift >= 0; shift -= 4) name.push_back(u"0123456789ABCDEF"[(value >> shift) & 0xF]);
    return name;
}

std::optional<std::vector<std::uint8_t>> WithOwnNames(std::span<const std::uint8_t> font, const FaceNames& names) {
    BigEndianReader in(font);
    const SfntView directory(in, 0);
    const std::uint32_t version = in.U32(0);
    if (!directory.valid() || in.failed() || (version != kVersionTrueType && version != kVersionApple && version != kVersionCff))
        return std::nullopt;
    struct Table {
        std::uint32_t tag;
        std::span<const std::uint8_t> data;
    };
    std::vector<Table> tables;
    for (std::uint16_t i = 0; i < directory.tableCount(); ++i) {
        const TableRecord record = directory.Record(i);
        if (record.tag == Tag('n', 'a', 'm', 'e')) continue;
        const std::span<const std::uint8_t> data = in.Bytes(record.offset, record.length);
        if (in.failed()) return std::nullopt;
        tables.push_back({record.tag, data});
    }
    const std::vector<std::uint8_t> name = NameTable(names);
    tables.push_back({Tag('n', 'a', 'm', 'e'), name});
    std::sort(tables.begin(), tables.end(), [](const Table& a, const Table& b) { return a.tag < b.tag; });

    const auto count = static_cast<std::uint16_t>(tables.size());
    std::uint16_t power = 1, log2 = 0;
    while (power * 2 <= count) power *= 2, ++log2;
    std::size_t size = kDirectory + kTableRecordSize * count;
    for (const Table& t : tables) size += (t.data.size() + 3) & ~std::size_t{3};
    std::vector<std::uint8_t> out(size, 0);
    PutU32(out, 0, version);
    PutU16(out, 4, count);
    PutU16(out, 6, static_cast<std::uint16_t>(power * 16));
    PutU16(out, 8, log2);
    PutU16(out, 10, static_cast<std::uint16_t>(count * 16 - power * 16));
    std::size_t at = kDirectory + kTableRecordSize * count;
    std::size_t headAt = 0;
    for (std::size_t i = 0; i < tables.size(); ++i) {
        const Table& t = tables[i];
        std::copy(t.data.begin(), t.data.end(), out.begin() + static_cast<std::ptrdiff_t>(at));
        if (t.tag == Tag('h', 'e', 'a', 'd') && t.data.size() >= 12) {
            headAt = at;
            PutU32(out, at + 8, 0);  // checkSumAdjustment, set once the whole file is known
        }
        const std::size_t record = kDirectory + kTableRecordSize * i;
        PutU32(out, record, t.tag);
        PutU32(out, record + 4, Checksum(std::span(out).subspan(at, t.data.size())));
        PutU32(out, record + 8, static_cast<std::uint32_t>(at));
        PutU32(out, record + 12, static_cast<std::uint32_t>(t.data.size()));
        at += (t.data.size() + 3) & ~std::size_t{3};
    }
    if (headAt) PutU32(out, headAt + 8, 0xB1B0AFBAu - Checksum(out));
    return out;
}

std::vector<NamedInstance> NamedInstances(std::span<const std::uint8_t> sfnt, std::uint32_t member) {
    const HbFace face = FaceOver(sfnt, member);
    // HarfBuzz answers 0 instances for an 'fvar' whose arrays do not fit the table.
    const unsigned count = hb_ot_var_get_named_instance_count(face.get());
    unsigned axisCount = hb_ot_var_get_axis_count(face.get());
    if (count == 0 || count > kMaxNamedInstances || axisCount == 0 || axisCount > kMaxAxes) return {};
    std::vector<hb_ot_var_axis_info_t> axes(axisCount);
    hb_ot_var_get_axis_infos(face.get(), 0, &axisCount, axes.data());
    axes.resize(axisCount);
    std::u16string family = NameOf(face.get(), HB_OT_NAME_ID_TYPOGRAPHIC_FAMILY);
    if (family.empty()) family = NameOf(face.get(), HB_OT_NAME_ID_FONT_FAMILY);

    std::vector<NamedInstance> instances;
    std::vector<float> coords(axes.size());
    for (unsigned i = 0; i < count; ++i) {
        unsigned written = static_cast<unsigned>(coords.size());
        written = std::min(written, hb_ot_var_named_instance_get_design_coords(face.get(), i, &written, coords.data()));
        NamedInstance instance;
        for (unsigned k = 0; k < written; ++k)
            instance.pins.push_back({axes[k].tag, std::min(std::max(coords[k], axes[k].min_value), axes[k].max_value)});
        const std::u16string style =
            NameOf(face.get(), hb_ot_var_named_instance_get_subfamily_name_id(face.get(), i));
        instance.displayName = style.empty() ? family : family + u" " + style;
        instance.postScript = NameOf(face.get(), hb_ot_var_named_instance_get_postscript_name_id(face.get(), i));
        instances.push_back(std::move(instance));
    }
    // CFF2 outlines stay CFF2, a format of variable fonts, unless the subsetter can make CFF of them:
    // until it can, such a font is its default face.
    if (HasTable(face.get(), HB_TAG('C', 'F', 'F', '2'))) {
        const HbFace probe = Cut(face.get(), U"", instances.front().pins, true);
        if (!probe || HasTable(probe.get(), HB_TAG('C', 'F', 'F', '2'))) return {};
    }
    return instances;
}

std::vector<std::uint8_t> MakeDrawableFace(std::span<const std::uint8_t> sfnt, std::uint32_t member,
                                           std::u32string_view characters, const FaceNames& names,
                                           std::span<const AxisPin> pins) {
    const HbFace face = FaceOver(sfnt, member);
    if (!face || hb_face_get_glyph_count(face.get()) == 0) return {};
    if (!hb_ot_var_has_data(face.get())) return Drawable(face.get(), characters, names, {}, false);
    std::vector<std::uint8_t> drawable = Drawable(face.get(), characters, names, pins, true);
    // A default face the instancer cannot make static (CFF2 outlines today) is drawn as it comes.
    if (drawable.empty() && pins.empty()) drawable = Drawable(face.get(), characters, names, {}, false);
    return drawable;
}

bool SanitiserPasses(std::span<const std::uint8_t> file) { return Sanitise(file).has_value(); }

} // namespace glyphpeek
