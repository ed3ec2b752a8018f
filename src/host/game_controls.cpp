#include "host/game_controls.h"

#include <cctype>

namespace {

// clang-format off
// Transcribed from the public control reference: a blank column there is "" here, "(NONE)" too, and a
// key's remark ("F8 (CONSOLE)") is left out.
constexpr GameControl kTable[gameControlCount] = {
    {"INPUT_NEXT_CAMERA", "V", "BACK"},  // 0
    {"INPUT_LOOK_LR", "MOUSE RIGHT", "RIGHT STICK"},  // 1
    {"INPUT_LOOK_UD", "MOUSE DOWN", "RIGHT STICK"},  // 2
    {"INPUT_LOOK_UP_ONLY", "", "RIGHT STICK"},  // 3
    {"INPUT_LOOK_DOWN_ONLY", "MOUSE DOWN", "RIGHT STICK"},  // 4
    {"INPUT_LOOK_LEFT_ONLY", "", "RIGHT STICK"},  // 5
    {"INPUT_LOOK_RIGHT_ONLY", "MOUSE RIGHT", "RIGHT STICK"},  // 6
    {"INPUT_CINEMATIC_SLOWMO", "", "R3"},  // 7
    {"INPUT_SCRIPTED_FLY_UD", "S", "LEFT STICK"},  // 8
    {"INPUT_SCRIPTED_FLY_LR", "D", "LEFT STICK"},  // 9
    {"INPUT_SCRIPTED_FLY_ZUP", "PAGEUP", ""},  // 10
    {"INPUT_SCRIPTED_FLY_ZDOWN", "PAGEDOWN", ""},  // 11
    {"INPUT_WEAPON_WHEEL_UD", "MOUSE DOWN", "RIGHT STICK"},  // 12
    {"INPUT_WEAPON_WHEEL_LR", "MOUSE RIGHT", "RIGHT STICK"},  // 13
    {"INPUT_WEAPON_WHEEL_NEXT", "SCROLLWHEEL DOWN", "DPAD RIGHT"},  // 14
    {"INPUT_WEAPON_WHEEL_PREV", "SCROLLWHEEL UP", "DPAD LEFT"},  // 15
    {"INPUT_SELECT_NEXT_WEAPON", "SCROLLWHEEL DOWN", ""},  // 16
    {"INPUT_SELECT_PREV_WEAPON", "SCROLLWHEEL UP", ""},  // 17
    {"INPUT_SKIP_CUTSCENE", "ENTER/LEFT MOUSE BUTTON/SPACEBAR", "A"},  // 18
    {"INPUT_CHARACTER_WHEEL", "LEFT ALT", "DPAD DOWN"},  // 19
    {"INPUT_MULTIPLAYER_INFO", "Z", "DPAD DOWN"},  // 20
    {"INPUT_SPRINT", "LEFT SHIFT", "A"},  // 21
    {"INPUT_JUMP", "SPACEBAR", "X"},  // 22
    {"INPUT_ENTER", "F", "Y"},  // 23
    {"INPUT_ATTACK", "LEFT MOUSE BUTTON", "RT"},  // 24
    {"INPUT_AIM", "RIGHT MOUSE BUTTON", "LT"},  // 25
    {"INPUT_LOOK_BEHIND", "C", "R3"},  // 26
    {"INPUT_PHONE", "ARROW UP/SCROLLWHEEL BUTTON", "DPAD UP"},  // 27
    {"INPUT_SPECIAL_ABILITY", "", "L3"},  // 28
    {"INPUT_SPECIAL_ABILITY_SECONDARY", "B", "R3"},  // 29
    {"INPUT_MOVE_LR", "D", "LEFT STICK"},  // 30
    {"INPUT_MOVE_UD", "S", "LEFT STICK"},  // 31
    {"INPUT_MOVE_UP_ONLY", "W", "LEFT STICK"},  // 32
    {"INPUT_MOVE_DOWN_ONLY", "S", "LEFT STICK"},  // 33
    {"INPUT_MOVE_LEFT_ONLY", "A", "LEFT STICK"},  // 34
    {"INPUT_MOVE_RIGHT_ONLY", "D", "LEFT STICK"},  // 35
    {"INPUT_DUCK", "LEFT CTRL", "L3"},  // 36
    {"INPUT_SELECT_WEAPON", "TAB", "LB"},  // 37
    {"INPUT_PICKUP", "E", "LB"},  // 38
    {"INPUT_SNIPER_ZOOM", "[", "LEFT STICK"},  // 39
    {"INPUT_SNIPER_ZOOM_IN_ONLY", "]", "LEFT STICK"},  // 40
    {"INPUT_SNIPER_ZOOM_OUT_ONLY", "[", "LEFT STICK"},  // 41
    {"INPUT_SNIPER_ZOOM_IN_SECONDARY", "]", "DPAD UP"},  // 42
    {"INPUT_SNIPER_ZOOM_OUT_SECONDARY", "[", "DPAD DOWN"},  // 43
    {"INPUT_COVER", "Q", "RB"},  // 44
    {"INPUT_RELOAD", "R", "B"},  // 45
    {"INPUT_TALK", "E", "DPAD RIGHT"},  // 46
    {"INPUT_DETONATE", "G", "DPAD LEFT"},  // 47
    {"INPUT_HUD_SPECIAL", "Z", "DPAD DOWN"},  // 48
    {"INPUT_ARREST", "F", "Y"},  // 49
    {"INPUT_ACCURATE_AIM", "SCROLLWHEEL DOWN", "R3"},  // 50
    {"INPUT_CONTEXT", "E", "DPAD RIGHT"},  // 51
    {"INPUT_CONTEXT_SECONDARY", "Q", "DPAD LEFT"},  // 52
    {"INPUT_WEAPON_SPECIAL", "", "Y"},  // 53
    {"INPUT_WEAPON_SPECIAL_TWO", "E", "DPAD RIGHT"},  // 54
    {"INPUT_DIVE", "SPACEBAR", "RB"},  // 55
    {"INPUT_DROP_WEAPON", "F9", "Y"},  // 56
    {"INPUT_DROP_AMMO", "F10", "B"},  // 57
    {"INPUT_THROW_GRENADE", "G", "DPAD LEFT"},  // 58
    {"INPUT_VEH_MOVE_LR", "D", "LEFT STICK"},  // 59
    {"INPUT_VEH_MOVE_UD", "LEFT CTRL", "LEFT STICK"},  // 60
    {"INPUT_VEH_MOVE_UP_ONLY", "LEFT SHIFT", "LEFT STICK"},  // 61
    {"INPUT_VEH_MOVE_DOWN_ONLY", "LEFT CTRL", "LEFT STICK"},  // 62
    {"INPUT_VEH_MOVE_LEFT_ONLY", "A", "LEFT STICK"},  // 63
    {"INPUT_VEH_MOVE_RIGHT_ONLY", "D", "LEFT STICK"},  // 64
    {"INPUT_VEH_SPECIAL", "", ""},  // 65
    {"INPUT_VEH_GUN_LR", "MOUSE RIGHT", "RIGHT STICK"},  // 66
    {"INPUT_VEH_GUN_UD", "MOUSE DOWN", "RIGHT STICK"},  // 67
    {"INPUT_VEH_AIM", "RIGHT MOUSE BUTTON", "LB"},  // 68
    {"INPUT_VEH_ATTACK", "LEFT MOUSE BUTTON", "RB"},  // 69
    {"INPUT_VEH_ATTACK2", "RIGHT MOUSE BUTTON", "A"},  // 70
    {"INPUT_VEH_ACCELERATE", "W", "RT"},  // 71
    {"INPUT_VEH_BRAKE", "S", "LT"},  // 72
    {"INPUT_VEH_DUCK", "X", "A"},  // 73
    {"INPUT_VEH_HEADLIGHT", "H", "DPAD RIGHT"},  // 74
    {"INPUT_VEH_EXIT", "F", "Y"},  // 75
    {"INPUT_VEH_HANDBRAKE", "SPACEBAR", "RB"},  // 76
    {"INPUT_VEH_HOTWIRE_LEFT", "W", "LT"},  // 77
    {"INPUT_VEH_HOTWIRE_RIGHT", "S", "RT"},  // 78
    {"INPUT_VEH_LOOK_BEHIND", "C", "R3"},  // 79
    {"INPUT_VEH_CIN_CAM", "R", "B"},  // 80
    {"INPUT_VEH_NEXT_RADIO", ".", ""},  // 81
    {"INPUT_VEH_PREV_RADIO", ",", ""},  // 82
    {"INPUT_VEH_NEXT_RADIO_TRACK", "=", ""},  // 83
    {"INPUT_VEH_PREV_RADIO_TRACK", "-", ""},  // 84
    {"INPUT_VEH_RADIO_WHEEL", "Q", "DPAD LEFT"},  // 85
    {"INPUT_VEH_HORN", "E", "L3"},  // 86
    {"INPUT_VEH_FLY_THROTTLE_UP", "W", "RT"},  // 87
    {"INPUT_VEH_FLY_THROTTLE_DOWN", "S", "LT"},  // 88
    {"INPUT_VEH_FLY_YAW_LEFT", "A", "LB"},  // 89
    {"INPUT_VEH_FLY_YAW_RIGHT", "D", "RB"},  // 90
    {"INPUT_VEH_PASSENGER_AIM", "RIGHT MOUSE BUTTON", "LT"},  // 91
    {"INPUT_VEH_PASSENGER_ATTACK", "LEFT MOUSE BUTTON", "RT"},  // 92
    {"INPUT_VEH_SPECIAL_ABILITY_FRANKLIN", "", "R3"},  // 93
    {"INPUT_VEH_STUNT_UD", "", ""},  // 94
    {"INPUT_VEH_CINEMATIC_UD", "MOUSE DOWN", "RIGHT STICK"},  // 95
    {"INPUT_VEH_CINEMATIC_UP_ONLY", "NUMPAD-/SCROLLWHEEL UP", ""},  // 96
    {"INPUT_VEH_CINEMATIC_DOWN_ONLY", "NUMPAD+/SCROLLWHEEL DOWN", ""},  // 97
    {"INPUT_VEH_CINEMATIC_LR", "MOUSE RIGHT", "RIGHT STICK"},  // 98
    {"INPUT_VEH_SELECT_NEXT_WEAPON", "SCROLLWHEEL UP", "X"},  // 99
    {"INPUT_VEH_SELECT_PREV_WEAPON", "[", ""},  // 100
    {"INPUT_VEH_ROOF", "H", "DPAD RIGHT"},  // 101
    {"INPUT_VEH_JUMP", "SPACEBAR", "RB"},  // 102
    {"INPUT_VEH_GRAPPLING_HOOK", "E", "DPAD RIGHT"},  // 103
    {"INPUT_VEH_SHUFFLE", "H", "DPAD RIGHT"},  // 104
    {"INPUT_VEH_DROP_PROJECTILE", "X", "A"},  // 105
    {"INPUT_VEH_MOUSE_CONTROL_OVERRIDE", "LEFT MOUSE BUTTON", ""},  // 106
    {"INPUT_VEH_FLY_ROLL_LR", "NUMPAD 6", "LEFT STICK"},  // 107
    {"INPUT_VEH_FLY_ROLL_LEFT_ONLY", "NUMPAD 4", "LEFT STICK"},  // 108
    {"INPUT_VEH_FLY_ROLL_RIGHT_ONLY", "NUMPAD 6", "LEFT STICK"},  // 109
    {"INPUT_VEH_FLY_PITCH_UD", "NUMPAD 5", "LEFT STICK"},  // 110
    {"INPUT_VEH_FLY_PITCH_UP_ONLY", "NUMPAD 8", "LEFT STICK"},  // 111
    {"INPUT_VEH_FLY_PITCH_DOWN_ONLY", "NUMPAD 5", "LEFT STICK"},  // 112
    {"INPUT_VEH_FLY_UNDERCARRIAGE", "G", "L3"},  // 113
    {"INPUT_VEH_FLY_ATTACK", "RIGHT MOUSE BUTTON", "A"},  // 114
    {"INPUT_VEH_FLY_SELECT_NEXT_WEAPON", "SCROLLWHEEL UP", "DPAD LEFT"},  // 115
    {"INPUT_VEH_FLY_SELECT_PREV_WEAPON", "[", ""},  // 116
    {"INPUT_VEH_FLY_SELECT_TARGET_LEFT", "NUMPAD 7", "LB"},  // 117
    {"INPUT_VEH_FLY_SELECT_TARGET_RIGHT", "NUMPAD 9", "RB"},  // 118
    {"INPUT_VEH_FLY_VERTICAL_FLIGHT_MODE", "E", "DPAD RIGHT"},  // 119
    {"INPUT_VEH_FLY_DUCK", "X", "A"},  // 120
    {"INPUT_VEH_FLY_ATTACK_CAMERA", "INSERT", "R3"},  // 121
    {"INPUT_VEH_FLY_MOUSE_CONTROL_OVERRIDE", "LEFT MOUSE BUTTON", ""},  // 122
    {"INPUT_VEH_SUB_TURN_LR", "NUMPAD 6", "LEFT STICK"},  // 123
    {"INPUT_VEH_SUB_TURN_LEFT_ONLY", "NUMPAD 4", "LEFT STICK"},  // 124
    {"INPUT_VEH_SUB_TURN_RIGHT_ONLY", "NUMPAD 6", "LEFT STICK"},  // 125
    {"INPUT_VEH_SUB_PITCH_UD", "NUMPAD 5", "LEFT STICK"},  // 126
    {"INPUT_VEH_SUB_PITCH_UP_ONLY", "NUMPAD 8", "LEFT STICK"},  // 127
    {"INPUT_VEH_SUB_PITCH_DOWN_ONLY", "NUMPAD 5", "LEFT STICK"},  // 128
    {"INPUT_VEH_SUB_THROTTLE_UP", "W", "RT"},  // 129
    {"INPUT_VEH_SUB_THROTTLE_DOWN", "S", "LT"},  // 130
    {"INPUT_VEH_SUB_ASCEND", "LEFT SHIFT", "X"},  // 131
    {"INPUT_VEH_SUB_DESCEND", "LEFT CTRL", "A"},  // 132
    {"INPUT_VEH_SUB_TURN_HARD_LEFT", "A", "LB"},  // 133
    {"INPUT_VEH_SUB_TURN_HARD_RIGHT", "D", "RB"},  // 134
    {"INPUT_VEH_SUB_MOUSE_CONTROL_OVERRIDE", "LEFT MOUSE BUTTON", ""},  // 135
    {"INPUT_VEH_PUSHBIKE_PEDAL", "W", "A"},  // 136
    {"INPUT_VEH_PUSHBIKE_SPRINT", "CAPSLOCK", "A"},  // 137
    {"INPUT_VEH_PUSHBIKE_FRONT_BRAKE", "Q", "LT"},  // 138
    {"INPUT_VEH_PUSHBIKE_REAR_BRAKE", "S", "RT"},  // 139
    {"INPUT_MELEE_ATTACK_LIGHT", "R", "B"},  // 140
    {"INPUT_MELEE_ATTACK_HEAVY", "Q", "A"},  // 141
    {"INPUT_MELEE_ATTACK_ALTERNATE", "LEFT MOUSE BUTTON", "RT"},  // 142
    {"INPUT_MELEE_BLOCK", "SPACEBAR", "X"},  // 143
    {"INPUT_PARACHUTE_DEPLOY", "F/LEFT MOUSE BUTTON", "Y"},  // 144
    {"INPUT_PARACHUTE_DETACH", "F", "Y"},  // 145
    {"INPUT_PARACHUTE_TURN_LR", "D", "LEFT STICK"},  // 146
    {"INPUT_PARACHUTE_TURN_LEFT_ONLY", "A", "LEFT STICK"},  // 147
    {"INPUT_PARACHUTE_TURN_RIGHT_ONLY", "D", "LEFT STICK"},  // 148
    {"INPUT_PARACHUTE_PITCH_UD", "S", "LEFT STICK"},  // 149
    {"INPUT_PARACHUTE_PITCH_UP_ONLY", "W", "LEFT STICK"},  // 150
    {"INPUT_PARACHUTE_PITCH_DOWN_ONLY", "S", "LEFT STICK"},  // 151
    {"INPUT_PARACHUTE_BRAKE_LEFT", "Q", "LB"},  // 152
    {"INPUT_PARACHUTE_BRAKE_RIGHT", "E", "RB"},  // 153
    {"INPUT_PARACHUTE_SMOKE", "X", "A"},  // 154
    {"INPUT_PARACHUTE_PRECISION_LANDING", "LEFT SHIFT", ""},  // 155
    {"INPUT_MAP", "", ""},  // 156
    {"INPUT_SELECT_WEAPON_UNARMED", "1", ""},  // 157
    {"INPUT_SELECT_WEAPON_MELEE", "2", ""},  // 158
    {"INPUT_SELECT_WEAPON_HANDGUN", "6", ""},  // 159
    {"INPUT_SELECT_WEAPON_SHOTGUN", "3", ""},  // 160
    {"INPUT_SELECT_WEAPON_SMG", "7", ""},  // 161
    {"INPUT_SELECT_WEAPON_AUTO_RIFLE", "8", ""},  // 162
    {"INPUT_SELECT_WEAPON_SNIPER", "9", ""},  // 163
    {"INPUT_SELECT_WEAPON_HEAVY", "4", ""},  // 164
    {"INPUT_SELECT_WEAPON_SPECIAL", "5", ""},  // 165
    {"INPUT_SELECT_CHARACTER_MICHAEL", "F5", ""},  // 166
    {"INPUT_SELECT_CHARACTER_FRANKLIN", "F6", ""},  // 167
    {"INPUT_SELECT_CHARACTER_TREVOR", "F7", ""},  // 168
    {"INPUT_SELECT_CHARACTER_MULTIPLAYER", "F8", ""},  // 169
    {"INPUT_SAVE_REPLAY_CLIP", "F3", "B"},  // 170
    {"INPUT_SPECIAL_ABILITY_PC", "CAPSLOCK", ""},  // 171
    {"INPUT_CELLPHONE_UP", "ARROW UP", "DPAD UP"},  // 172
    {"INPUT_CELLPHONE_DOWN", "ARROW DOWN", "DPAD DOWN"},  // 173
    {"INPUT_CELLPHONE_LEFT", "ARROW LEFT", "DPAD LEFT"},  // 174
    {"INPUT_CELLPHONE_RIGHT", "ARROW RIGHT", "DPAD RIGHT"},  // 175
    {"INPUT_CELLPHONE_SELECT", "ENTER/LEFT MOUSE BUTTON", "A"},  // 176
    {"INPUT_CELLPHONE_CANCEL", "BACKSPACE/ESC/RIGHT MOUSE BUTTON", "B"},  // 177
    {"INPUT_CELLPHONE_OPTION", "DELETE", "Y"},  // 178
    {"INPUT_CELLPHONE_EXTRA_OPTION", "SPACEBAR", "X"},  // 179
    {"INPUT_CELLPHONE_SCROLL_FORWARD", "SCROLLWHEEL DOWN", ""},  // 180
    {"INPUT_CELLPHONE_SCROLL_BACKWARD", "SCROLLWHEEL UP", ""},  // 181
    {"INPUT_CELLPHONE_CAMERA_FOCUS_LOCK", "L", "RT"},  // 182
    {"INPUT_CELLPHONE_CAMERA_GRID", "G", "RB"},  // 183
    {"INPUT_CELLPHONE_CAMERA_SELFIE", "E", "R3"},  // 184
    {"INPUT_CELLPHONE_CAMERA_DOF", "F", "LB"},  // 185
    {"INPUT_CELLPHONE_CAMERA_EXPRESSION", "X", "L3"},  // 186
    {"INPUT_FRONTEND_DOWN", "ARROW DOWN", "DPAD DOWN"},  // 187
    {"INPUT_FRONTEND_UP", "ARROW UP", "DPAD UP"},  // 188
    {"INPUT_FRONTEND_LEFT", "ARROW LEFT", "DPAD LEFT"},  // 189
    {"INPUT_FRONTEND_RIGHT", "ARROW RIGHT", "DPAD RIGHT"},  // 190
    {"INPUT_FRONTEND_RDOWN", "ENTER", "A"},  // 191
    {"INPUT_FRONTEND_RUP", "TAB", "Y"},  // 192
    {"INPUT_FRONTEND_RLEFT", "", "X"},  // 193
    {"INPUT_FRONTEND_RRIGHT", "BACKSPACE", "B"},  // 194
    {"INPUT_FRONTEND_AXIS_X", "D", "LEFT STICK"},  // 195
    {"INPUT_FRONTEND_AXIS_Y", "S", "LEFT STICK"},  // 196
    {"INPUT_FRONTEND_RIGHT_AXIS_X", "]", "RIGHT STICK"},  // 197
    {"INPUT_FRONTEND_RIGHT_AXIS_Y", "SCROLLWHEEL DOWN", "RIGHT STICK"},  // 198
    {"INPUT_FRONTEND_PAUSE", "P", "START"},  // 199
    {"INPUT_FRONTEND_PAUSE_ALTERNATE", "ESC", ""},  // 200
    {"INPUT_FRONTEND_ACCEPT", "ENTER/NUMPAD ENTER", "A"},  // 201
    {"INPUT_FRONTEND_CANCEL", "BACKSPACE/ESC", "B"},  // 202
    {"INPUT_FRONTEND_X", "SPACEBAR", "X"},  // 203
    {"INPUT_FRONTEND_Y", "TAB", "Y"},  // 204
    {"INPUT_FRONTEND_LB", "Q", "LB"},  // 205
    {"INPUT_FRONTEND_RB", "E", "RB"},  // 206
    {"INPUT_FRONTEND_LT", "PAGEDOWN", "LT"},  // 207
    {"INPUT_FRONTEND_RT", "PAGEUP", "RT"},  // 208
    {"INPUT_FRONTEND_LS", "LEFT SHIFT", "L3"},  // 209
    {"INPUT_FRONTEND_RS", "LEFT CTRL", "R3"},  // 210
    {"INPUT_FRONTEND_LEADERBOARD", "TAB", "RB"},  // 211
    {"INPUT_FRONTEND_SOCIAL_CLUB", "HOME", "BACK"},  // 212
    {"INPUT_FRONTEND_SOCIAL_CLUB_SECONDARY", "HOME", "RB"},  // 213
    {"INPUT_FRONTEND_DELETE", "DELETE", "X"},  // 214
    {"INPUT_FRONTEND_ENDSCREEN_ACCEPT", "ENTER", "A"},  // 215
    {"INPUT_FRONTEND_ENDSCREEN_EXPAND", "SPACEBAR", "X"},  // 216
    {"INPUT_FRONTEND_SELECT", "CAPSLOCK", "BACK"},  // 217
    {"INPUT_SCRIPT_LEFT_AXIS_X", "D", "LEFT STICK"},  // 218
    {"INPUT_SCRIPT_LEFT_AXIS_Y", "S", "LEFT STICK"},  // 219
    {"INPUT_SCRIPT_RIGHT_AXIS_X", "MOUSE RIGHT", "RIGHT STICK"},  // 220
    {"INPUT_SCRIPT_RIGHT_AXIS_Y", "MOUSE DOWN", "RIGHT STICK"},  // 221
    {"INPUT_SCRIPT_RUP", "RIGHT MOUSE BUTTON", "Y"},  // 222
    {"INPUT_SCRIPT_RDOWN", "LEFT MOUSE BUTTON", "A"},  // 223
    {"INPUT_SCRIPT_RLEFT", "LEFT CTRL", "X"},  // 224
    {"INPUT_SCRIPT_RRIGHT", "RIGHT MOUSE BUTTON", "B"},  // 225
    {"INPUT_SCRIPT_LB", "", "LB"},  // 226
    {"INPUT_SCRIPT_RB", "", "RB"},  // 227
    {"INPUT_SCRIPT_LT", "", "LT"},  // 228
    {"INPUT_SCRIPT_RT", "LEFT MOUSE BUTTON", "RT"},  // 229
    {"INPUT_SCRIPT_LS", "", "L3"},  // 230
    {"INPUT_SCRIPT_RS", "", "R3"},  // 231
    {"INPUT_SCRIPT_PAD_UP", "W", "DPAD UP"},  // 232
    {"INPUT_SCRIPT_PAD_DOWN", "S", "DPAD DOWN"},  // 233
    {"INPUT_SCRIPT_PAD_LEFT", "A", "DPAD LEFT"},  // 234
    {"INPUT_SCRIPT_PAD_RIGHT", "D", "DPAD RIGHT"},  // 235
    {"INPUT_SCRIPT_SELECT", "V", "BACK"},  // 236
    {"INPUT_CURSOR_ACCEPT", "LEFT MOUSE BUTTON", ""},  // 237
    {"INPUT_CURSOR_CANCEL", "RIGHT MOUSE BUTTON", ""},  // 238
    {"INPUT_CURSOR_X", "", ""},  // 239
    {"INPUT_CURSOR_Y", "", ""},  // 240
    {"INPUT_CURSOR_SCROLL_UP", "SCROLLWHEEL UP", ""},  // 241
    {"INPUT_CURSOR_SCROLL_DOWN", "SCROLLWHEEL DOWN", ""},  // 242
    {"INPUT_ENTER_CHEAT_CODE", "`", ""},  // 243
    {"INPUT_INTERACTION_MENU", "M", "BACK"},  // 244
    {"INPUT_MP_TEXT_CHAT_ALL", "T", ""},  // 245
    {"INPUT_MP_TEXT_CHAT_TEAM", "Y", ""},  // 246
    {"INPUT_MP_TEXT_CHAT_FRIENDS", "", ""},  // 247
    {"INPUT_MP_TEXT_CHAT_CREW", "", ""},  // 248
    {"INPUT_PUSH_TO_TALK", "N", ""},  // 249
    {"INPUT_CREATOR_LS", "R", "L3"},  // 250
    {"INPUT_CREATOR_RS", "F", "R3"},  // 251
    {"INPUT_CREATOR_LT", "X", "LT"},  // 252
    {"INPUT_CREATOR_RT", "C", "RT"},  // 253
    {"INPUT_CREATOR_MENU_TOGGLE", "LEFT SHIFT", ""},  // 254
    {"INPUT_CREATOR_ACCEPT", "SPACEBAR", "A"},  // 255
    {"INPUT_CREATOR_DELETE", "DELETE", "X"},  // 256
    {"INPUT_ATTACK2", "LEFT MOUSE BUTTON", "RT"},  // 257
    {"INPUT_RAPPEL_JUMP", "", "A"},  // 258
    {"INPUT_RAPPEL_LONG_JUMP", "", "X"},  // 259
    {"INPUT_RAPPEL_SMASH_WINDOW", "", "RT"},  // 260
    {"INPUT_PREV_WEAPON", "SCROLLWHEEL UP", "DPAD LEFT"},  // 261
    {"INPUT_NEXT_WEAPON", "SCROLLWHEEL DOWN", "DPAD RIGHT"},  // 262
    {"INPUT_MELEE_ATTACK1", "R", "B"},  // 263
    {"INPUT_MELEE_ATTACK2", "Q", "A"},  // 264
    {"INPUT_WHISTLE", "", ""},  // 265
    {"INPUT_MOVE_LEFT", "D", "LEFT STICK"},  // 266
    {"INPUT_MOVE_RIGHT", "D", "LEFT STICK"},  // 267
    {"INPUT_MOVE_UP", "S", "LEFT STICK"},  // 268
    {"INPUT_MOVE_DOWN", "S", "LEFT STICK"},  // 269
    {"INPUT_LOOK_LEFT", "MOUSE RIGHT", "RIGHT STICK"},  // 270
    {"INPUT_LOOK_RIGHT", "MOUSE RIGHT", "RIGHT STICK"},  // 271
    {"INPUT_LOOK_UP", "MOUSE DOWN", "RIGHT STICK"},  // 272
    {"INPUT_LOOK_DOWN", "MOUSE DOWN", "RIGHT STICK"},  // 273
    {"INPUT_SNIPER_ZOOM_IN", "[", "RIGHT STICK"},  // 274
    {"INPUT_SNIPER_ZOOM_OUT", "[", "RIGHT STICK"},  // 275
    {"INPUT_SNIPER_ZOOM_IN_ALTERNATE", "[", "LEFT STICK"},  // 276
    {"INPUT_SNIPER_ZOOM_OUT_ALTERNATE", "[", "LEFT STICK"},  // 277
    {"INPUT_VEH_MOVE_LEFT", "D", "LEFT STICK"},  // 278
    {"INPUT_VEH_MOVE_RIGHT", "D", "LEFT STICK"},  // 279
    {"INPUT_VEH_MOVE_UP", "LEFT CTRL", "LEFT STICK"},  // 280
    {"INPUT_VEH_MOVE_DOWN", "LEFT CTRL", "LEFT STICK"},  // 281
    {"INPUT_VEH_GUN_LEFT", "MOUSE RIGHT", "RIGHT STICK"},  // 282
    {"INPUT_VEH_GUN_RIGHT", "MOUSE RIGHT", "RIGHT STICK"},  // 283
    {"INPUT_VEH_GUN_UP", "MOUSE RIGHT", "RIGHT STICK"},  // 284
    {"INPUT_VEH_GUN_DOWN", "MOUSE RIGHT", "RIGHT STICK"},  // 285
    {"INPUT_VEH_LOOK_LEFT", "MOUSE RIGHT", "RIGHT STICK"},  // 286
    {"INPUT_VEH_LOOK_RIGHT", "MOUSE RIGHT", "RIGHT STICK"},  // 287
    {"INPUT_REPLAY_START_STOP_RECORDING", "F1", "A"},  // 288
    {"INPUT_REPLAY_START_STOP_RECORDING_SECONDARY", "F2", "X"},  // 289
    {"INPUT_SCALED_LOOK_LR", "MOUSE RIGHT", "RIGHT STICK"},  // 290
    {"INPUT_SCALED_LOOK_UD", "MOUSE DOWN", "RIGHT STICK"},  // 291
    {"INPUT_SCALED_LOOK_UP_ONLY", "", "RIGHT STICK"},  // 292
    {"INPUT_SCALED_LOOK_DOWN_ONLY", "", "RIGHT STICK"},  // 293
    {"INPUT_SCALED_LOOK_LEFT_ONLY", "", "RIGHT STICK"},  // 294
    {"INPUT_SCALED_LOOK_RIGHT_ONLY", "", "RIGHT STICK"},  // 295
    {"INPUT_REPLAY_MARKER_DELETE", "DELETE", "X"},  // 296
    {"INPUT_REPLAY_CLIP_DELETE", "DELETE", "Y"},  // 297
    {"INPUT_REPLAY_PAUSE", "SPACEBAR", "A"},  // 298
    {"INPUT_REPLAY_REWIND", "ARROW DOWN", "LB"},  // 299
    {"INPUT_REPLAY_FFWD", "ARROW UP", "RB"},  // 300
    {"INPUT_REPLAY_NEWMARKER", "M", "A"},  // 301
    {"INPUT_REPLAY_RECORD", "S", ""},  // 302
    {"INPUT_REPLAY_SCREENSHOT", "U", "DPAD UP"},  // 303
    {"INPUT_REPLAY_HIDEHUD", "H", "R3"},  // 304
    {"INPUT_REPLAY_STARTPOINT", "B", ""},  // 305
    {"INPUT_REPLAY_ENDPOINT", "N", ""},  // 306
    {"INPUT_REPLAY_ADVANCE", "ARROW RIGHT", "DPAD RIGHT"},  // 307
    {"INPUT_REPLAY_BACK", "ARROW LEFT", "DPAD LEFT"},  // 308
    {"INPUT_REPLAY_TOOLS", "T", "DPAD DOWN"},  // 309
    {"INPUT_REPLAY_RESTART", "R", "BACK"},  // 310
    {"INPUT_REPLAY_SHOWHOTKEY", "K", "DPAD DOWN"},  // 311
    {"INPUT_REPLAY_CYCLEMARKERLEFT", "[", "DPAD LEFT"},  // 312
    {"INPUT_REPLAY_CYCLEMARKERRIGHT", "]", "DPAD RIGHT"},  // 313
    {"INPUT_REPLAY_FOVINCREASE", "NUMPAD+", "RB"},  // 314
    {"INPUT_REPLAY_FOVDECREASE", "NUMPAD-", "LB"},  // 315
    {"INPUT_REPLAY_CAMERAUP", "PAGEUP", ""},  // 316
    {"INPUT_REPLAY_CAMERADOWN", "PAGEDOWN", ""},  // 317
    {"INPUT_REPLAY_SAVE", "F5", "START"},  // 318
    {"INPUT_REPLAY_TOGGLETIME", "C", ""},  // 319
    {"INPUT_REPLAY_TOGGLETIPS", "V", ""},  // 320
    {"INPUT_REPLAY_PREVIEW", "SPACEBAR", ""},  // 321
    {"INPUT_REPLAY_TOGGLE_TIMELINE", "ESC", ""},  // 322
    {"INPUT_REPLAY_TIMELINE_PICKUP_CLIP", "X", ""},  // 323
    {"INPUT_REPLAY_TIMELINE_DUPLICATE_CLIP", "C", ""},  // 324
    {"INPUT_REPLAY_TIMELINE_PLACE_CLIP", "V", ""},  // 325
    {"INPUT_REPLAY_CTRL", "LEFT CTRL", ""},  // 326
    {"INPUT_REPLAY_TIMELINE_SAVE", "F5", ""},  // 327
    {"INPUT_REPLAY_PREVIEW_AUDIO", "SPACEBAR", "RT"},  // 328
    {"INPUT_VEH_DRIVE_LOOK", "LEFT MOUSE BUTTON", ""},  // 329
    {"INPUT_VEH_DRIVE_LOOK2", "RIGHT MOUSE BUTTON", ""},  // 330
    {"INPUT_VEH_FLY_ATTACK2", "RIGHT MOUSE BUTTON", ""},  // 331
    {"INPUT_RADIO_WHEEL_UD", "MOUSE DOWN", "RIGHT STICK"},  // 332
    {"INPUT_RADIO_WHEEL_LR", "MOUSE RIGHT", "RIGHT STICK"},  // 333
    {"INPUT_VEH_SLOWMO_UD", "SCROLLWHEEL DOWN", "LEFT STICK"},  // 334
    {"INPUT_VEH_SLOWMO_UP_ONLY", "SCROLLWHEEL UP", "LEFT STICK"},  // 335
    {"INPUT_VEH_SLOWMO_DOWN_ONLY", "SCROLLWHEEL DOWN", "LEFT STICK"},  // 336
    {"INPUT_VEH_HYDRAULICS_CONTROL_TOGGLE", "X", "A"},  // 337
    {"INPUT_VEH_HYDRAULICS_CONTROL_LEFT", "A", "LEFT STICK"},  // 338
    {"INPUT_VEH_HYDRAULICS_CONTROL_RIGHT", "D", "LEFT STICK"},  // 339
    {"INPUT_VEH_HYDRAULICS_CONTROL_UP", "LEFT SHIFT", "LEFT STICK"},  // 340
    {"INPUT_VEH_HYDRAULICS_CONTROL_DOWN", "LEFT CTRL", "LEFT STICK"},  // 341
    {"INPUT_VEH_HYDRAULICS_CONTROL_UD", "D", "LEFT STICK"},  // 342
    {"INPUT_VEH_HYDRAULICS_CONTROL_LR", "LEFT CTRL", "LEFT STICK"},  // 343
    {"INPUT_SWITCH_VISOR", "F11", "DPAD RIGHT"},  // 344
    {"INPUT_VEH_MELEE_HOLD", "X", "A"},  // 345
    {"INPUT_VEH_MELEE_LEFT", "LEFT MOUSE BUTTON", "LB"},  // 346
    {"INPUT_VEH_MELEE_RIGHT", "RIGHT MOUSE BUTTON", "RB"},  // 347
    {"INPUT_MAP_POI", "SCROLLWHEEL BUTTON", "Y"},  // 348
    {"INPUT_REPLAY_SNAPMATIC_PHOTO", "TAB", "X"},  // 349
    {"INPUT_VEH_CAR_JUMP", "E", "L3"},  // 350
    {"INPUT_VEH_ROCKET_BOOST", "E", "L3"},  // 351
    {"INPUT_VEH_FLY_BOOST", "LEFT SHIFT", "L3"},  // 352
    {"INPUT_VEH_PARACHUTE", "SPACEBAR", "A"},  // 353
    {"INPUT_VEH_BIKE_WINGS", "X", "A"},  // 354
    {"INPUT_VEH_FLY_BOMB_BAY", "E", "DPAD RIGHT"},  // 355
    {"INPUT_VEH_FLY_COUNTER", "E", "DPAD RIGHT"},  // 356
    {"INPUT_VEH_TRANSFORM", "X", "A"},  // 357
    {"INPUT_QUAD_LOCO_REVERSE", "", "RB"},  // 358
    {"INPUT_RESPAWN_FASTER", "", ""},  // 359
    {"INPUT_HUDMARKER_SELECT", "", ""},  // 360
};
// clang-format on

bool equalIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

bool startsWith(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }

}  // namespace

const GameControl* gameControl(int32_t control) {
    return control >= 0 && control < gameControlCount ? &kTable[control] : nullptr;
}

int32_t controlNamed(std::string_view name) {
    for (int32_t i = 0; i < gameControlCount; ++i) {
        if (equalIgnoringCase(name, kTable[i].name)) {
            return i;
        }
    }
    return -1;
}

ControlInputs inputsOf(int32_t control, InputDevice device) {
    ControlInputs inputs;
    const GameControl* row = gameControl(control);
    if (row == nullptr) {
        return inputs;
    }
    std::string_view rest = device == Keyboard ? row->keyboard : row->pad;
    while (!rest.empty() && inputs.count < ControlInputs::capacity) {
        const size_t slash = rest.find('/');
        inputs.names[inputs.count++] = rest.substr(0, slash);
        rest = slash == std::string_view::npos ? std::string_view{} : rest.substr(slash + 1);
    }
    return inputs;
}

bool sharesInput(int32_t a, int32_t b, InputDevice device) {
    const ControlInputs first = inputsOf(a, device);
    const ControlInputs second = inputsOf(b, device);
    for (int i = 0; i < first.count; ++i) {
        for (int j = 0; j < second.count; ++j) {
            if (first.names[i] == second.names[j]) {
                return true;
            }
        }
    }
    return false;
}

bool isPhoneControl(int32_t control) {
    return control >= control::cellphoneUp && control <= control::cellphoneExtraOption;
}

bool onPhoneButton(int32_t control, InputDevice device) {
    for (int32_t phone = control::cellphoneUp; phone <= control::cellphoneExtraOption; ++phone) {
        if (sharesInput(control, phone, device)) {
            return true;
        }
    }
    return false;
}

bool isSeatedGameAction(int32_t control) {
    const GameControl* row = gameControl(control);
    if (row == nullptr || control == control::exit) {
        return false;
    }
    const std::string_view name = row->name;
    // The general actions a seated player has: the phone, the context actions, the character wheel
    // and the camera. The reference is silent on where each control acts; these are the ones the
    // game's own passenger scripts hold off besides the vehicle controls.
    for (const int32_t general : {control::nextCamera, control::characterWheel, control::phone, control::context,
                                  control::contextSecondary}) {
        if (control == general) {
            return true;
        }
    }
    if (!startsWith(name, "INPUT_VEH_")) {
        return false;
    }
    // Vehicle controls of other kinds of vehicle never act in a train's cab: aircraft, submarines,
    // bicycles, lowriders' hydraulics, motorbike melee, hot-wiring a car, and the special vehicles'
    // jumps, boosts, wings, parachutes and weapons.
    for (const std::string_view other : {"INPUT_VEH_FLY_", "INPUT_VEH_SUB_", "INPUT_VEH_PUSHBIKE_",
                                         "INPUT_VEH_HYDRAULICS_", "INPUT_VEH_MELEE_", "INPUT_VEH_HOTWIRE_"}) {
        if (startsWith(name, other)) {
            return false;
        }
    }
    for (const std::string_view special : {"INPUT_VEH_JUMP", "INPUT_VEH_GRAPPLING_HOOK", "INPUT_VEH_DROP_PROJECTILE",
                                           "INPUT_VEH_CAR_JUMP", "INPUT_VEH_ROCKET_BOOST", "INPUT_VEH_PARACHUTE",
                                           "INPUT_VEH_BIKE_WINGS", "INPUT_VEH_TRANSFORM", "INPUT_VEH_SPECIAL",
                                           "INPUT_VEH_STUNT_UD"}) {
        if (name == special) {
            return false;
        }
    }
    return true;
}
