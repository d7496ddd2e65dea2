/* Identifiers of the pictures, sounds and programs stored in the executable.
   Shared by the resource script and the C++ code, so plain C preprocessor. */
#ifndef ORV_RESOURCE_IDS_H
#define ORV_RESOURCE_IDS_H

#define IDI_APP_ICON 129

#define IDR_BACKGROUND 200
#define IDR_CLICK_SOUND 201
#define IDR_WINDOW_SOUND 202
#define IDR_TOOL_RESSIM 210
#define IDR_TOOL_PELLAT 211
#define IDR_TOOL_CORVEL 212
#define IDR_TOOL_TAMBLIN 213
#define IDR_CHAT 214
#define IDR_SEARCH 215
#define IDR_REMOTE_SEARCH 216
#define IDR_SAVE 217
#define IDR_TITLE_MIN 220
#define IDR_TITLE_MAX 221
#define IDR_TITLE_RESTORE 222
#define IDR_TITLE_HELP 223
#define IDR_TITLE_MENU 224
#define IDR_TITLE_CLOSE 225
#define IDR_MSGBOX_CLOSE 226
#define IDR_COMBO_ARROW 230
#define IDR_ARROW_UP 231
#define IDR_ARROW_DOWN 232
#define IDR_ARROW_LEFT 233
#define IDR_ARROW_RIGHT 234
#define IDR_TRIMMER 240

#endif
