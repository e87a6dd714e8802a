// The Properties dialog without a toolkit: what it shows of the selected rows (name, type,
// folder, size, icon), the five attribute boxes with their two or three states, and the
// request its OK hands to the attribute job.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/icon_image.h"
#include "fsac/file_list.h"
#include "fsac/volume_queries.h"
#include "transfer/local_files.h"
#include "ui/file_rows.h"

namespace velmora {

// Dialog template 139 and its controls.
inline constexpr int kIdPropertiesIcon = 1023;
inline constexpr int kIdPropertiesName = 1014;
inline constexpr int kIdPropertiesTypeLabel = 1016;
inline constexpr int kIdPropertiesType = 1020;
inline constexpr int kIdPropertiesLocationLabel = 1018;
inline constexpr int kIdPropertiesLocation = 1021;
inline constexpr int kIdPropertiesSizeLabel = 1019;
inline constexpr int kIdPropertiesSize = 1022;
inline constexpr int kIdPropertiesAttributesLabel = 1013;
inline constexpr int kIdBoxSystem = 1008;
inline constexpr int kIdBoxReadOnly = 1009;
inline constexpr int kIdBoxHidden = 1010;
inline constexpr int kIdBoxArchive = 1011;
inline constexpr int kIdBoxNoDistribute = 1024;

inline constexpr int kStrTypeOfFile = 172;
inline constexpr int kStrSelected = 170;
inline constexpr int kStrFiles = 171;  // "%d files", by the count
inline constexpr int kStrPropertiesTitle = 620;
inline constexpr int kStrOk = 626;
inline constexpr int kStrLocation = 173;
inline constexpr int kStrSize = 174;
inline constexpr int kStrAttributes = 175;
inline constexpr int kStrCancel = 176;

enum class CheckState { Clear = 0, Set = 1, Mixed = 2 };

struct AttributeBox {
    int id;
    std::uint16_t bit;
    int captionString;
};

// In the order the dialog sets them.
inline constexpr std::array<AttributeBox, 5> kAttributeBoxes{{
    {kIdBoxSystem, 0x04, 621},
    {kIdBoxReadOnly, 0x01, 622},
    {kIdBoxHidden, 0x02, 623},
    {kIdBoxArchive, 0x20, 624},
    {kIdBoxNoDistribute, 0x40, 625},
}};
inline constexpr std::uint32_t kShownAttributeBits = 0x67;

// What OK leaves for the attribute job: each file gets (old AND keepMask) OR setMask.
struct AttributeRequest {
    std::vector<int> rows;  // selected rows, ascending
    std::string location;   // the folder of folder-mode rows, ending in "/"
    std::uint32_t setMask = 0;
    std::uint32_t keepMask = 0;
};

// "500 bytes (500 bytes)", "1.5 kb (1536 bytes)": one decimal, truncated, up to Gb.
std::string SizeText(std::int64_t bytes);

class PropertiesModel {
  public:
    // The dialog over the list's selected rows. location is the folder in folder mode (its
    // files' full names begin with it) and the last one seen in flat mode.
    PropertiesModel(const FileRows& list, const FileList& files, bool flat,
                    std::string location);

    int Count() const { return static_cast<int>(m_request.rows.size()); }
    bool Empty() const { return m_request.rows.empty(); }

    // The texts of the edit boxes, the labels and the Cancel button (2), in the current
    // language. With nothing selected the fields are empty and the type label is the one of a
    // single file.
    std::string Text(int controlId) const;
    // The large icon of a single row's entry; none for several rows (the selection's own icon)
    // or an entry not in FileList.
    const IconHandle& Icon() const { return m_icon; }
    bool SeveralIcon() const { return Count() > 1; }

    // A box is three-state when the selection is mixed for its bit.
    bool ThreeState(int boxId) const;
    CheckState State(int boxId) const;
    // What the user clicked; Mixed only on a three-state box.
    void SetState(int boxId, CheckState state);
    // A click on the box: two-state boxes toggle, three-state ones run clear, set, mixed.
    void Cycle(int boxId);

    // OK: ticked boxes set their bit, clear ones clear it, mixed ones and every bit no box
    // shows stay as each file has them.
    AttributeRequest Ok() const;

  private:
    struct Box {
        CheckState state = CheckState::Clear;
        bool threeState = false;
    };
    Box* Find(int boxId);
    const Box* Find(int boxId) const;

    AttributeRequest m_request;
    std::array<Box, kAttributeBoxes.size()> m_boxes{};
    std::string m_name, m_type, m_typeLabel, m_location, m_size;
    IconHandle m_icon;
};

}  // namespace velmora
