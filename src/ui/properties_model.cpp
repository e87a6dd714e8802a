#include "ui/properties_model.h"

#include <utility>

#include "base/lang_string.h"
#include "ui/text_compare.h"

namespace velmora {

namespace {

constexpr int kIdCancelButton = 2;

int LabelString(int controlId) {
    switch (controlId) {
        case kIdPropertiesTypeLabel:
            return kStrTypeOfFile;
        case kIdPropertiesLocationLabel:
            return kStrLocation;
        case kIdPropertiesSizeLabel:
            return kStrSize;
        case kIdPropertiesAttributesLabel:
            return kStrAttributes;
        case kIdCancelButton:
            return kStrCancel;
        default:
            return 0;
    }
}

}  // namespace

std::string SizeText(std::int64_t bytes) {
    constexpr int kUnitStrings[] = {kStrKilobytes, kStrMegabytes, kStrGigabytes};
    double v = static_cast<double>(bytes);
    int unit = 0;
    while (v >= 1024.0 && unit < 3) {
        v *= 0.0009765625;
        ++unit;
    }
    const std::string count = LoadLangCount(kStrByteCount, bytes);
    if (unit == 0) return count + " (" + count + ")";
    const auto whole = static_cast<long long>(v);
    const auto tenth = static_cast<int>((v - static_cast<double>(whole)) * 10.0);
    return std::to_string(whole) + "." + std::to_string(tenth) + " " +
           LoadLangString(kUnitStrings[unit - 1]) + " (" + count + ")";
}

PropertiesModel::PropertiesModel(const FileRows& list, const FileList& files, bool flat,
                                 std::string location)
    : m_location(std::move(location)) {
    m_request.rows = list.SelectedRows();
    m_request.location = m_location;
    if (m_request.rows.empty()) {
        m_location.clear();
        return;
    }
    std::array<int, kAttributeBoxes.size()> counts{};
    // Summed wide: several large files must not wrap into a negative total.
    std::int64_t total = 0;
    for (int row : m_request.rows) {
        const ListRow& r = list.Rows()[static_cast<std::size_t>(row)];
        const auto attributes = static_cast<std::uint32_t>(CellNumber(r.cells[kColumnAttributes]));
        for (std::size_t b = 0; b < kAttributeBoxes.size(); ++b) {
            if (attributes & kAttributeBoxes[b].bit) ++counts[b];
        }
        total += CellNumber(r.cells[kColumnSize]);
    }
    for (std::size_t b = 0; b < kAttributeBoxes.size(); ++b) {
        if (counts[b] == 0) {
            m_boxes[b].state = CheckState::Clear;
        } else if (counts[b] == Count()) {
            m_boxes[b].state = CheckState::Set;
        } else {
            m_boxes[b] = {CheckState::Mixed, true};
        }
    }
    m_size = SizeText(total);

    if (Count() == 1) {
        const ListRow& r = list.Rows()[static_cast<std::size_t>(m_request.rows.front())];
        m_name = r.cells[kColumnName];
        m_type = r.cells[kColumnType];
        m_typeLabel = LoadLangString(kStrTypeOfFile);
        const std::string fullName = flat ? m_name : m_location + m_name;
        if (auto index = files.Find(fullName); index >= 0) {
            if (auto entry = files.Entry(index)) m_icon = entry->largeIcon;
        }
    } else {
        m_name = m_location;
        m_typeLabel = LoadLangString(kStrSelected);
        m_type = LoadLangCount(kStrFiles, Count());
    }
}

std::string PropertiesModel::Text(int controlId) const {
    switch (controlId) {
        case kIdPropertiesName:
            return m_name;
        case kIdPropertiesType:
            return m_type;
        case kIdPropertiesLocation:
            return m_location;
        case kIdPropertiesSize:
            return m_size;
        case kIdPropertiesTypeLabel:
            if (!Empty()) return m_typeLabel;
            break;
        default:
            break;
    }
    const int label = LabelString(controlId);
    return label ? LoadLangString(label) : std::string();
}

PropertiesModel::Box* PropertiesModel::Find(int boxId) {
    for (std::size_t b = 0; b < kAttributeBoxes.size(); ++b) {
        if (kAttributeBoxes[b].id == boxId) return &m_boxes[b];
    }
    return nullptr;
}

const PropertiesModel::Box* PropertiesModel::Find(int boxId) const {
    return const_cast<PropertiesModel*>(this)->Find(boxId);
}

bool PropertiesModel::ThreeState(int boxId) const {
    const Box* box = Find(boxId);
    return box && box->threeState;
}

CheckState PropertiesModel::State(int boxId) const {
    const Box* box = Find(boxId);
    return box ? box->state : CheckState::Clear;
}

void PropertiesModel::SetState(int boxId, CheckState state) {
    Box* box = Find(boxId);
    if (!box || (state == CheckState::Mixed && !box->threeState)) return;
    box->state = state;
}

void PropertiesModel::Cycle(int boxId) {
    Box* box = Find(boxId);
    if (!box) return;
    switch (box->state) {
        case CheckState::Clear:
            box->state = CheckState::Set;
            break;
        case CheckState::Set:
            box->state = box->threeState ? CheckState::Mixed : CheckState::Clear;
            break;
        case CheckState::Mixed:
            box->state = CheckState::Clear;
            break;
    }
}

AttributeRequest PropertiesModel::Ok() const {
    AttributeRequest request = m_request;
    request.setMask = 0;
    // Bits no box shows are the files' own business: OK must never clear them.
    request.keepMask = ~kShownAttributeBits;
    for (std::size_t b = 0; b < kAttributeBoxes.size(); ++b) {
        if (m_boxes[b].state == CheckState::Set) request.setMask |= kAttributeBoxes[b].bit;
        if (m_boxes[b].state == CheckState::Mixed) request.keepMask |= kAttributeBoxes[b].bit;
    }
    return request;
}

}  // namespace velmora
