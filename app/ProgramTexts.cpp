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
