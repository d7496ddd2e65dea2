#include "app/ProgramTexts.h"

namespace orv {

const char kEmptyKeywordMessage[] = "请输入关键字再搜索";
const char kEmptyNameMessage[] = "歌曲名字不能为空";
const char kConfirmDeleteMessage[] = "是否删除本条记录";
const char kRessimPage[] = "https://pan.example.com/s/1Ressim-orvane";
const char kPellatPage[] = "https://pan.example.com/s/1Pellat-orvane";
const char kCorvelPage[] = "https://pan.example.com/s/1Corvel-orvane";
const char kTamblinPage[] = "https://soft.example.com/download/tamblin.html";
const char kChatLinkTemplate[] = "tencent://message/?uin=#qq&Site=orvane&Menu=yes";
const char kChatContactNumber[] = "800812345";
const char kScoreSearchPrefix[] = "https://image.example.com/search/index?tn=image&ie=gbk&word=曲谱";
const char kChatHint[] = "对本软件有任何疑问或建议,欢迎来交流";
const char kTrayTip[] = "Orvane";
const char kCatalogueUnreadableMessage[] = "歌曲库文件无法完整读取，可能正被其他程序占用：";
const char kCatalogueUnreadableNote[] = "本次运行不会改动这个文件。新增的歌曲将另外保存，关闭软件时会告诉您保存在哪里。";
const char kCatalogueKeptAsideMessage[] = "歌曲库文件未能读取，已原样保留。本次新增的歌曲已另存到：";
const char kCatalogueMovedMessage[] = "软件所在的文件夹不能写入，歌曲库已改存到：";
const char kCatalogueMovedNote[] = "以后启动软件时会从这里读取。";
const char kSaveFailedMessage[] = "歌曲库未能保存，原来的文件保持不变。";

const std::vector<ProgramTextEntry>& BuiltInTexts()
{
    static const std::vector<ProgramTextEntry> kTexts = {
        {kTextEmptyKeyword, kEmptyKeywordMessage}, {kTextEmptyName, kEmptyNameMessage},
        {kTextConfirmDelete, kConfirmDeleteMessage}, {kTextRessimPage, kRessimPage},
        {kTextPellatPage, kPellatPage},            {kTextCorvelPage, kCorvelPage},
        {kTextTamblinPage, kTamblinPage},          {kTextChatLinkTemplate, kChatLinkTemplate},
        {kTextChatContactNumber, kChatContactNumber}, {kTextScoreSearchPrefix, kScoreSearchPrefix},
        {kTextChatHint, kChatHint},                {kTextTrayTip, kTrayTip},
        {kTextHintRessim, "Ressim"},               {kTextHintPellat, "Pellat"},
        {kTextHintCorvel, "Corvel"},               {kTextHintTamblin, "Tamblin"},
        {kTextCatalogueUnreadable, kCatalogueUnreadableMessage},
        {kTextCatalogueUnreadableNote, kCatalogueUnreadableNote},
        {kTextCatalogueKeptAside, kCatalogueKeptAsideMessage},
        {kTextCatalogueMoved, kCatalogueMovedMessage},
        {kTextCatalogueMovedNote, kCatalogueMovedNote},
        {kTextSaveFailed, kSaveFailedMessage},
        {kTextReasonDiskFull, "磁盘空间不足。"},
        {kTextReasonInUse, "文件正被其他程序使用，或是只读文件。"},
        {kTextReasonFolder, "文件夹不能写入。"},
        {kTextReasonErrorCode, "系统错误代码："},
    };
    return kTexts;
}

std::string BuiltInText(int id)
{
    for (const ProgramTextEntry& t : BuiltInTexts())
        if (t.id == id) return t.text;
    return std::string();
}

}  // namespace orv
