/* Resource and control ids of qora.exe.
 *
 * Shared by the resource script (qora.rc, compiled by windres or rc) and the C++ code, so it
 * holds nothing but #define lines of plain decimal numbers: the resource compilers understand
 * no other C or C++ construct. The ids are fixed; the dialog code addresses the controls by
 * them and derives the key-field ids of an ActionCode k as 1012 + k and 1268 + k.
 */
#ifndef QORA_RESOURCES_RESOURCE_IDS_H
#define QORA_RESOURCES_RESOURCE_IDS_H

/* ---- Resources ------------------------------------------------------------------------ */

/* Menu, accelerator table and string table entry (the window class name "QORA"). */
#define IDR_MAIN 109
#define IDS_CLASS_NAME 109

#define IDI_QORA 107       /* class icon and About box icon, 32 x 32 and 16 x 16 */
#define IDI_QORA_SMALL 108 /* small class icon, 16 x 16 */

#define IDD_ABOUT 103
#define IDD_SETTING 136
#define IDD_MAP_PS3 139
#define IDD_MAP_360 140
#define IDD_MODES 141 /* the binding modes of the part the Map dialog shows */

#define IDB_PAD_360 132  /* 426 x 356, shown for OSTYPE 0 */
#define IDB_PAD_PS3 137  /* 425 x 360, shown for OSTYPE 1 */
#define IDB_NOTICE 140   /* 425 x 360, shown while no console is chosen */
#define IDB_DOT_MASK 133 /* 16 x 16: white around a black disc, blitted with SRCAND */
#define IDB_DOT_ICON 134 /* 16 x 16: a red disc on black, blitted with SRCPAINT */

/* ---- Menu commands -------------------------------------------------------------------- */

#define IDM_ABOUT 104
#define IDM_EXIT 105
#define IDM_DEBUG 32774 /* appended to the Tool menu at run time, never in the script */
#define IDM_START 32776
#define IDM_SETTING 32779

/* ---- Controls shared by several dialogs ----------------------------------------------- */

#define IDC_CONFIRM 1 /* the dialog manager's OK id */
#define IDC_CANCEL 2  /* the dialog manager's Cancel id (Esc, close box) */
#define IDC_STATIC_TEXT (-1)

/* ---- About dialog (103) --------------------------------------------------------------- */

#define IDC_ABOUT_TITLE 1063 /* receives the window title */

/* ---- Setting dialog (136) ------------------------------------------------------------- */

#define IDC_SETTING_LIST 1037
#define IDC_SETTING_NEW 1038
#define IDC_SETTING_DEL 1039
#define IDC_SETTING_NAME 1040
#define IDC_SETTING_MAP 32775

/* ---- Map dialogs (139 PS3, 140 Xbox 360) ---------------------------------------------- */

/* Primary key fields: edit IDC_MAP_PRIMARY_FIRST + k holds the key of ActionCode k. */
#define IDC_MAP_PRIMARY_FIRST 1012
#define IDC_MAP_DPAD_UP 1012
#define IDC_MAP_DPAD_DOWN 1013
#define IDC_MAP_DPAD_LEFT 1014
#define IDC_MAP_DPAD_RIGHT 1015
#define IDC_MAP_LSTICK_UP 1016
#define IDC_MAP_LSTICK_DOWN 1017
#define IDC_MAP_LSTICK_LEFT 1018
#define IDC_MAP_LSTICK_RIGHT 1019
#define IDC_MAP_RSTICK_UP 1020
#define IDC_MAP_RSTICK_DOWN 1021
#define IDC_MAP_RSTICK_LEFT 1022
#define IDC_MAP_RSTICK_RIGHT 1023
#define IDC_MAP_BUTTON_Y 1024    /* PS3 triangle */
#define IDC_MAP_BUTTON_X 1025    /* PS3 square */
#define IDC_MAP_BUTTON_B 1026    /* PS3 circle */
#define IDC_MAP_BUTTON_A 1027    /* PS3 cross */
#define IDC_MAP_LEFT_ROW5 1028   /* Xbox 360 LT, PS3 L1 */
#define IDC_MAP_LEFT_ROW6 1029   /* Xbox 360 LB, PS3 L2 */
#define IDC_MAP_RIGHT_ROW1 1030  /* Xbox 360 RT, PS3 R1 */
#define IDC_MAP_RIGHT_ROW2 1031  /* Xbox 360 RB, PS3 R2 */
#define IDC_MAP_LEFT_CLICK 1032  /* LC / L3 */
#define IDC_MAP_RIGHT_CLICK 1033 /* RC / R3 */
#define IDC_MAP_BACK 1034        /* BACK / SELECT */
#define IDC_MAP_START 1035
#define IDC_MAP_GUIDE 1036   /* GUIDE / PS */
#define IDC_MAP_TILT_UP 1037 /* the four tilt fields exist only in template 139 */
#define IDC_MAP_TILT_DOWN 1038
#define IDC_MAP_TILT_LEFT 1039
#define IDC_MAP_TILT_RIGHT 1040
#define IDC_MAP_PRIMARY_LAST 1040

/* Secondary key fields: edit IDC_MAP_SECONDARY_BASE + k for ActionCode k = 12 ... 23 only. */
#define IDC_MAP_SECONDARY_BASE 1268
#define IDC_MAP_SECONDARY_FIRST 1280
#define IDC_MAP_BUTTON_Y_2ND 1280
#define IDC_MAP_BUTTON_X_2ND 1281
#define IDC_MAP_BUTTON_B_2ND 1282
#define IDC_MAP_BUTTON_A_2ND 1283
#define IDC_MAP_LEFT_ROW5_2ND 1284
#define IDC_MAP_LEFT_ROW6_2ND 1285
#define IDC_MAP_RIGHT_ROW1_2ND 1286
#define IDC_MAP_RIGHT_ROW2_2ND 1287
#define IDC_MAP_LEFT_CLICK_2ND 1288
#define IDC_MAP_RIGHT_CLICK_2ND 1289
#define IDC_MAP_BACK_2ND 1290
#define IDC_MAP_START_2ND 1291
#define IDC_MAP_SECONDARY_LAST 1291

/* Mouse lists: list IDC_MAP_MOUSE_FIRST + i holds mouse binding i (5 and 6 have no list). */
#define IDC_MAP_MOUSE_FIRST 1042
#define IDC_MAP_MOUSE_LEFT 1042
#define IDC_MAP_MOUSE_RIGHT 1043
#define IDC_MAP_MOUSE_MIDDLE 1044
#define IDC_MAP_MOUSE_BACKWARD 1045
#define IDC_MAP_MOUSE_FORWARD 1046
#define IDC_MAP_MOUSE_ROLL_UP 1049
#define IDC_MAP_MOUSE_ROLL_DOWN 1050
#define IDC_MAP_MOUSE_DIRECTION 1051

#define IDC_MAP_INVERT_X 1052
#define IDC_MAP_INVERT_Y 1053
#define IDC_MAP_ZOOM_X 1055       /* horizontal scroll bar, positions 5 ... 50 */
#define IDC_MAP_ZOOM_X_VALUE 1056 /* label showing the X scale, "1.0" */
#define IDC_MAP_ZOOM_Y 1057
#define IDC_MAP_ZOOM_Y_VALUE 1058
#define IDC_MAP_ZOOM_TITLE 1059 /* "Zoom Scale", "Sensitivity" in precise aim */

/* The Aim group: the aim mode, and the dead zone, shape and exponent of precise aim. */
#define IDC_MAP_AIM_CLASSIC 1070 /* radio buttons, one group */
#define IDC_MAP_AIM_PRECISE 1071
#define IDC_MAP_AIM_DEAD_ZONE_LABEL 1072
#define IDC_MAP_AIM_DEAD_ZONE_VALUE 1073 /* label showing the dead zone, "0.0 %" */
#define IDC_MAP_AIM_DEAD_ZONE 1074       /* horizontal scroll bar, positions 0 ... 180 */
#define IDC_MAP_AIM_SHAPE_LABEL 1075
#define IDC_MAP_AIM_CIRCLE 1076 /* radio buttons, one group */
#define IDC_MAP_AIM_SQUARE 1077
#define IDC_MAP_AIM_EXPONENT_LABEL 1078
#define IDC_MAP_AIM_EXPONENT_VALUE 1079 /* label showing the exponent, "1.00" */
#define IDC_MAP_AIM_EXPONENT 1080       /* horizontal scroll bar, positions -15 ... 60 */

/* The Layer group: which part of the profile the fields show and edit ("Base" or a layer),
 * a new layer's name, and the chosen layer's trigger, kind and delays. */
#define IDC_MAP_LAYER_LIST 1090 /* drop-down list: "Base", then each layer by name */
#define IDC_MAP_LAYER_NAME 1091 /* edit: the name New layer gives */
#define IDC_MAP_LAYER_NEW 1092
#define IDC_MAP_LAYER_DELETE 1093
#define IDC_MAP_LAYER_TRIGGER_SOURCE 1094 /* drop-down list: "Key", then the 7 mouse buttons */
#define IDC_MAP_LAYER_TRIGGER_KEY 1095    /* edit: the trigger key, captured as a key field */
#define IDC_MAP_LAYER_HELD 1096           /* radio buttons, one group */
#define IDC_MAP_LAYER_TOGGLED 1097
#define IDC_MAP_LAYER_DELAY 1098         /* edit: ms */
#define IDC_MAP_LAYER_RELEASE_DELAY 1099 /* edit: ms */
#define IDC_MAP_LAYER_USE_BASE 1100      /* the last field chosen inherits from the base again */
#define IDC_MAP_LAYER_MODES 1101         /* opens the Modes dialog on what the fields show */

/* ---- Modes dialog (141) --------------------------------------------------------------- */

#define IDC_MODES_EDITING 1110 /* static: the base or the layer whose modes are edited */
#define IDC_MODES_TOGGLE_USE_BASE 1111
#define IDC_MODES_TURBO_PRESS 1112   /* edit: ms */
#define IDC_MODES_TURBO_RELEASE 1113 /* edit: ms */
#define IDC_MODES_TURBO_USE_BASE 1114
#define IDC_MODES_WALK_KEY 1115   /* edit: the walk key, captured as a key field */
#define IDC_MODES_WALK_SPEED 1116 /* edit: % */
#define IDC_MODES_WALK_USE_BASE 1117

/* Check boxes: IDC_MODES_TOGGLE_FIRST + k toggles ActionCode k, IDC_MODES_TURBO_FIRST + k
 * repeats it, for k = 0 ... 28. */
#define IDC_MODES_TOGGLE_FIRST 1120
#define IDC_MODES_TOGGLE_LAST 1148
#define IDC_MODES_TURBO_FIRST 1150
#define IDC_MODES_TURBO_LAST 1178

#define IDC_MODES_MACRO_LIST 1180  /* owner-drawn list box: one macro a line */
#define IDC_MODES_MACRO_KEY 1181   /* edit: the macro's key, captured as a key field */
#define IDC_MODES_MACRO_STEPS 1182 /* edit: the steps as the profile text writes them */
#define IDC_MODES_MACRO_SET 1183
#define IDC_MODES_MACRO_REMOVE 1184
#define IDC_MODES_MACRO_USE_BASE 1185

#endif /* QORA_RESOURCES_RESOURCE_IDS_H */
