// The main window's layout and the unit index of each control in it.
#pragma once

#include <vector>

#include "runtime/Layout.h"

namespace orv {

// Unit indices, in the order of the stored layout (the window first).
enum MainUnit : int {
    kMainWindow = 0,
    kList2,    // 列表框2: the display list
    kLabel6,   // 透明标签6: notice
    kLabel5,   // 透明标签5: chat link label
    kButton9,  // 按钮9: chat button
    kLabel4,   // 透明标签4: version
    kLabel2,   // 透明标签2: credit line
    kButton8,  // 按钮8: Tamblin
    kButton7,  // 按钮7: Corvel
    kButton6,  // 按钮6: Pellat
    kButton5,  // 按钮5: Ressim
    kButton3,  // 按钮3: score image search
    kButton2,  // 按钮2: save (add entry)
    kButton1,  // 按钮1: local search
    kEdit2,    // 编辑框2: keyword / new entry
    kGroup1,   // 分组框1: sibling tools
    kEdit3,    // 编辑框3: singing tips
    kLabel3,   // 透明标签3: old version label, below the window's edge
    kLabel1,   // 透明标签1: ownership line, below the window's edge
    kTab1,     // 选择夹1: the page frame
    kGroup2,   // 分组框2: frames the search row
    kList1,    // 列表框1: the hidden master list
    kUnitCount
};

extern const char kNoticeText[];
extern const char kTipsText[];
extern const char kCreditLine[];
extern const char kOwnershipLine[];

LayoutTable MainLayout();

// The controls in Tab order: as the eye reads the window, from the keyword
// box along the search row, then the results, the tips, the sibling tools
// left to right and the chat button. It crosses containers (the tips box
// lies on the window between controls of the tab page).
std::vector<int> MainTabOrder();

}  // namespace orv
