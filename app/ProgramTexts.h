// The program's own texts (messages, addresses, hints). They are stored in
// the program image with the pictures and sounds; the values here are the
// ones the image is written from, and the ones a program linked in one piece
// uses directly.
#pragma once

#include <string>
#include <vector>

namespace orv {

// Stored-item ids of the texts, after the pictures and sounds.
enum TextId : int {
    kTextEmptyKeyword = 300,
    kTextEmptyName,
    kTextConfirmDelete,
    kTextRessimPage,
    kTextPellatPage,
    kTextCorvelPage,
    kTextTamblinPage,
    kTextChatLinkTemplate,
    kTextChatContactNumber,
    kTextScoreSearchPrefix,
    kTextChatHint,
    kTextTrayTip,
    kTextHintRessim,
    kTextHintPellat,
    kTextHintCorvel,
    kTextHintTamblin,
    kTextCatalogueUnreadable,
    kTextCatalogueUnreadableNote,
    kTextCatalogueKeptAside,
    kTextCatalogueMoved,
    kTextCatalogueMovedNote,
    kTextSaveFailed,
    kTextReasonDiskFull,
    kTextReasonInUse,
    kTextReasonFolder,
    kTextReasonErrorCode,
};

struct ProgramTextEntry {
    int id;
    const char* text;
};

const std::vector<ProgramTextEntry>& BuiltInTexts();

// The built-in value of a text; empty for an unknown id.
std::string BuiltInText(int id);

// The text as the running program has it: from the program image when it
// was started from one, else the built-in value. (Windows only.)
std::string ProgramText(int id);

extern const char kEmptyKeywordMessage[];
extern const char kEmptyNameMessage[];
extern const char kConfirmDeleteMessage[];
extern const char kRessimPage[];
extern const char kPellatPage[];
extern const char kCorvelPage[];
extern const char kTamblinPage[];
extern const char kChatLinkTemplate[];
extern const char kChatContactNumber[];
extern const char kScoreSearchPrefix[];
extern const char kChatHint[];
extern const char kTrayTip[];
extern const char kCatalogueUnreadableMessage[];
extern const char kCatalogueUnreadableNote[];
extern const char kCatalogueKeptAsideMessage[];
extern const char kCatalogueMovedMessage[];
extern const char kCatalogueMovedNote[];
extern const char kSaveFailedMessage[];

}  // namespace orv
