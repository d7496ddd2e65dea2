// The main window as data: the window and its 21 controls, with every place,
// parent, text, colour, font and visibility, in the order of the stored layout.
#include "app/MainLayout.h"

namespace orv {

namespace {

constexpr Colour kBlack = Rgb(0, 0, 0);
constexpr Colour kWhite = Rgb(255, 255, 255);
constexpr Colour kGreen = Rgb(0, 255, 0);
constexpr Colour kRed = Rgb(255, 0, 0);
constexpr Colour kBlue = Rgb(0, 0, 255);
constexpr Colour kGrey = Rgb(192, 192, 192);
constexpr Colour kSearchRowText = Rgb(216, 216, 0);
constexpr Colour kDefault = kDefaultColour;

// 宋体, 9 points, underlined, GB2312 character set: the chat link label.
const FontSpec kChatLabelFont{"宋体", -12, 400, true, kGb2312Charset};

constexpr uint32_t kVis = kUnitVisible;
constexpr uint32_t kHand = kUnitHandCursor;
constexpr uint32_t kBorder = kUnitBorder;

const UnitSpec kUnits[kUnitCount] = {
    // name        kind                        parent    left  top  width height text                  text colour     back colour font  flags
    {"MainWindow", UnitKind::Window,           -1,        50,   50, 450, 364, "",                     kDefault,       kDefault, nullptr, kVis},
    {"列表框2",    UnitKind::ListBox,          kTab1,     11,    8, 224, 152, "",                     kBlack,         kWhite,   nullptr, kVis | kBorder},
    {"透明标签6",  UnitKind::TransparentLabel, kTab1,     11,  168, 232,  48, kNoticeText,            kBlack,         kDefault, nullptr, kVis | kUnitMultiLine},
    {"透明标签5",  UnitKind::TransparentLabel, kMainWindow, 383, 344, 48,  16, "客服在线",             kGreen,         kDefault, &kChatLabelFont, kVis | kHand},
    {"按钮9",      UnitKind::Button,           kMainWindow, 352, 337, 25,  25, "",                     kDefault,       kDefault, nullptr, kVis | kHand},
    {"透明标签4",  UnitKind::TransparentLabel, kMainWindow, 200, 341, 64,  16, "V2.3免费版",           kWhite,         kDefault, nullptr, kVis},
    {"透明标签2",  UnitKind::TransparentLabel, kMainWindow,  16, 341, 200, 16, kCreditLine,            kWhite,         kDefault, nullptr, kVis},
    {"按钮8",      UnitKind::Button,           kGroup1,   99,   25,  38,  38, "",                     kDefault,       kDefault, nullptr, kVis | kHand},
    {"按钮7",      UnitKind::Button,           kGroup1,  145,   25,  38,  38, "Corvel",               kDefault,       kDefault, nullptr, kVis | kHand},
    {"按钮6",      UnitKind::Button,           kGroup1,   55,   25,  38,  38, "Pellat",               kDefault,       kDefault, nullptr, kVis | kHand},
    {"按钮5",      UnitKind::Button,           kGroup1,   11,   25,  38,  38, "Ressim",               kDefault,       kDefault, nullptr, kVis | kHand},
    {"按钮3",      UnitKind::Button,           kTab1,    355,  236,  88,  32, "远程搜索",             kSearchRowText, kDefault, nullptr, kVis | kHand},
    {"按钮2",      UnitKind::Button,           kTab1,    286,  236,  61,  32, "保存",                 kSearchRowText, kDefault, nullptr, kVis | kHand},
    {"按钮1",      UnitKind::Button,           kTab1,    187,  236,  88,  32, "本地查询",             kSearchRowText, kDefault, nullptr, kVis | kHand},
    {"编辑框2",    UnitKind::Edit,             kTab1,     14,  236, 168,  32, "",                     kGrey,          kWhite,   nullptr, kVis | kBorder},
    {"分组框1",    UnitKind::GroupBox,         kTab1,    251,  144, 192,  72, "推荐电音 唱歌 喊麦软件", kDefault,     kDefault, nullptr, kVis},
    {"编辑框3",    UnitKind::Edit,             kMainWindow, 248, 64, 192, 128, kTipsText,             kBlue,          kWhite,   nullptr, kVis | kBorder | kUnitMultiLine | kUnitVScroll | kUnitReadOnly},
    {"透明标签3",  UnitKind::TransparentLabel, kMainWindow, 181, 462, 48,  16, "V1.8版本",             kWhite,         kDefault, nullptr, kVis},
    {"透明标签1",  UnitKind::TransparentLabel, kMainWindow,  16, 462, 136, 16, kOwnershipLine,         kWhite,         kDefault, nullptr, kVis},
    {"选择夹1",    UnitKind::TabControl,       kMainWindow, -3,  56, 456, 280, "",                     kDefault,       kDefault, nullptr, kVis},
    {"分组框2",    UnitKind::GroupBox,         kTab1,      8,  224, 440,  50, "",                     kDefault,       kDefault, nullptr, kVis},
    {"列表框1",    UnitKind::ListBox,          kTab1,     11,   80, 224,  32, "",                     kRed,           kWhite,   nullptr, 0},
};

}  // namespace

const char kNoticeText[] =
    "注意:保存或删除等操作， 需下次启动软件\r\n"
    "才可正常搜索和显示！本软件所有的歌曲基\r\n"
    "调，均来自网络，只供参考，请根据实际自\r\n"
    "行调整和修改，或联系我们上报错误歌曲\r\n";

const char kTipsText[] =
    "电音演唱要点:\r\n"
    "\r\n"
    "1.定调\r\n"
    "不要怕累，就多试多唱没有什么窍门，就是一个一个唱着试出来（从C一直到B换），只有一个听着调是准的,其它都会跑调的.如果想"
    "偷懒不唱就定好调那是不可能的\r\n"
    "\r\n"
    "2.技巧\r\n"
    "高音部分要松驰，不要太紧，太生硬.不想太电，就平缓吐气吐字 想要电，就要唱滑音多些的歌\r\n"
    "\r\n"
    "3.把握\r\n"
    "听着主旋律，首先要自己唱的不跑调才行。。不要让电音给带走了,把握曲风，自己发挥特色\r\n"
    "\r\n"
    "关于电音电与不电的问题:\r\n"
    "\r\n"
    "电音效果好不好还跟唱歌的力度有关，力度比较弱的乐句，电音效果就会不太明显，反之就会明显过头，所以唱每一句的力度不要差距太"
    "大，要平稳一些。快歌与慢歌肯定不同的，快歌体现的电音更多些，慢歌会显得平缓一些，这也和曲风有一定的关系的。没有所谓的电不"
    "电,只有体现出来的人声上下,强弱之间的对比.如果唱歌像没吃饭似的肯定如何也电不起来,首先话筒和人声都要开的稍大些.有了力"
    "度才会显得电力十足,那么下面电的想强些,就选快歌,因为快歌节奏明显强烈,上窜下跳的,就会显的很电,因为声音会波动多,体现"
    "的多,如果慢歌,肯定是轻缓.";

const char kCreditLine[] = "Orvane 出品 QQ:800812345";
const char kOwnershipLine[] = "Orvane 工作室 版权所有";

LayoutTable MainLayout() { return LayoutTable{kUnits, kUnitCount}; }

std::vector<int> MainTabOrder()
{
    return {kEdit2, kButton1, kButton2, kButton3, kList2, kEdit3, kButton5, kButton6, kButton8, kButton7, kButton9};
}

}  // namespace orv
