// Resource, control and command ids of Quarvex, shared by the resource scripts and the C++ code.
//
// Plain #defines only: windres reads this file too. Each block is one resource or one dialog;
// a new dialog appends its own block at the end. Control ids are unique inside their dialog
// only, so the same number may appear in two blocks under different names.
#ifndef QUARVEX_RES_RESOURCE_H
#define QUARVEX_RES_RESOURCE_H

// Icons, menus, accelerators
#define IDI_PROGRAM 1
#define IDR_MAINFRAME 128
#define IDR_DIFFERENCE_MENU 188
#define IDR_REPORT_CONTEXT_MENU 191

// Bitmaps: the ten size icons (class i uses IDB_SIZE0 + i), the pane backgrounds, the About box
#define IDB_SIZE0 100
#define IDB_SIZE1 101
#define IDB_SIZE2 102
#define IDB_SIZE3 103
#define IDB_SIZE4 104
#define IDB_SIZE5 105
#define IDB_SIZE6 106
#define IDB_SIZE7 107
#define IDB_SIZE8 108
#define IDB_SIZE9 109
#define IDB_PANE_FIRST 193
#define IDB_PANE_SECOND 195
#define IDB_ABOUT 207

// Dialog templates
#define IDD_ABOUT 100
#define IDD_INFO_PANEL 142
#define IDD_REPORT_TOOLBAR 144
#define IDD_FILTER_EDITOR 174
#define IDD_MESSAGE_BOX 175
#define IDD_FILTER_BROWSER 178
#define IDD_COMPARISON 182
#define IDD_NOTES 192
#define IDD_FILE_DATE_TIME 217
#define IDD_FILE_ATTRIBUTES 218
#define IDD_LIST_OF_FILES 220
#define IDD_TEMP_FOLDERS 222
#define IDD_TOOLS_PANEL 237

// Main menu commands
#define ID_REPORT_OPEN 32771
#define ID_REPORT_CREATE 32772
#define ID_REPORT_SAVE 32773
#define ID_SETTINGS_OPTIONS 32774
#define ID_SETTINGS_EDIT_FILTERS 32775
#define ID_HELP_HELP 32777
#define ID_REPORT_CLOSE 32778
#define ID_REPORT_PRINT_INFO 32780
#define ID_REPORT_PRINT_TREE 32797
#define ID_REPORT_QUICK_LOAD 32800
#define ID_REPORT_UPDATE 32801
#define ID_TOOLS_DATE_TIME 32802
#define ID_TOOLS_ATTRIBUTES 32803
#define ID_TOOLS_LIST_OF_FILES 32804
#define ID_TOOLS_TEMP_FOLDERS 32805
#define ID_LOAD_FILTERS_FIRST 40000
#define ID_LOAD_FILTERS_LAST 40098
#define ID_QUICK_LOAD_FIRST 40200
#define ID_QUICK_LOAD_LAST 40298
#define ID_APP_ABOUT 57664
#define ID_APP_EXIT 57665
#define ID_VIEW_STATUS_BAR 59393

// Report tree context menu (menu 191) and the difference menu (menu 188)
#define ID_TREE_COLLAPSE 32783
#define ID_TREE_EXPAND_ALL 32784
#define ID_TREE_EXPAND_CHILDREN 32785
#define ID_TREE_BROWSE_FOLDER 32786
#define ID_TREE_WHATS_NEW 32787
#define ID_TREE_SAVE_REPORT 32788
#define ID_TREE_CLOSE_REPORT 32789
#define ID_TREE_CREATE_REPORT 32790
#define ID_TREE_OPEN_REPORT 32791
#define ID_TREE_SETTINGS 32792
#define ID_TREE_EDIT_FILTERS 32793
#define ID_TREE_HELP 32794
#define ID_TREE_NOTES 32798

// Report window toolbar (dialog 144)
#define IDC_TOOLBAR_SAVE 1009
#define IDC_TOOLBAR_OPEN 1030
#define IDC_TOOLBAR_PRINT 1031
#define IDC_TOOLBAR_CLOSE 1032
#define IDC_TOOLBAR_WHATS_NEW 1033
#define IDC_TOOLBAR_SORT_BY 1035
#define IDC_TOOLBAR_SHOW_FOLDERS 1036
#define IDC_TOOLBAR_CREATE 1059
#define IDC_TOOLBAR_BROWSE 1112
#define IDC_TOOLBAR_UPDATE 1113

// Folder info panel (dialog 142)
#define IDC_INFO_CREATED_TEXT 1020
#define IDC_INFO_FILTER_LIST 1028
#define IDC_INFO_PRINT 1031
#define IDC_INFO_NOTES 1032
#define IDC_INFO_NAME_LABEL 1040
#define IDC_INFO_PATH_LABEL 1041
#define IDC_INFO_SIZE_LABEL 1042
#define IDC_INFO_USED_LABEL 1043
#define IDC_INFO_FILES_LABEL 1044
#define IDC_INFO_FOLDERS_LABEL 1045
#define IDC_INFO_CREATED_LABEL 1046
#define IDC_INFO_ACCESSED_LABEL 1047
#define IDC_INFO_SHOW_FILES 1055
#define IDC_INFO_SHOW_FILTERS 1056
#define IDC_INFO_SEPARATOR_TOP 1057
#define IDC_INFO_SEPARATOR_MIDDLE 1058
#define IDC_INFO_SEPARATOR_BOTTOM 1059
#define IDC_INFO_NAME 1060
#define IDC_INFO_PATH 1061
#define IDC_INFO_SIZE 1062
#define IDC_INFO_USED 1063
#define IDC_INFO_FILES 1064
#define IDC_INFO_FOLDERS 1065
#define IDC_INFO_CREATED 1066
#define IDC_INFO_ACCESSED 1067
#define IDC_INFO_SHOW_FILTER_LIST 1080

// Report comparison (dialog 182)
#define IDC_COMPARE_PATH 1000
#define IDC_COMPARE_SINCE 1001
#define IDC_COMPARE_SELECTED 1002
#define IDC_COMPARE_LIST 1068
#define IDC_COMPARE_BROWSE 1112
#define IDC_COMPARE_TREE_FRAME 1113
#define IDC_COMPARE_VIEW_SWITCH 1114

// Folder notes (dialog 192)
#define IDC_NOTES_PATH 1009
#define IDC_NOTES_SEPARATOR 1057
#define IDC_NOTES_STRIP 1079
#define IDC_NOTES_EDIT 1080
#define IDC_NOTES_LABEL 1118

// Message box (dialog 175): IDOK, IDCANCEL and IDNO are the buttons
#define IDC_MESSAGE_TEXT 1150

// Tools panel (dialog 237)
#define IDC_TOOLS_ATTRIBUTES 1201
#define IDC_TOOLS_DATE_TIME 1202
#define IDC_TOOLS_LIST_OF_FILES 1203
#define IDC_TOOLS_TEMP_FOLDERS 1204
#define IDC_TOOLS_HINT 1205

// Main frame (menu and accelerators 128, About box 100): the standard commands the accelerators
// send, the status bar's idle text and lock indicators, the About box's controls
#define ID_EDIT_COPY 57634
#define ID_EDIT_CUT 57635
#define ID_EDIT_PASTE 57637
#define ID_EDIT_UNDO 57643
#define ID_NEXT_PANE 57680
#define ID_PREV_PANE 57681
#define IDS_IDLE_MESSAGE 57345
#define ID_INDICATOR_CAPS 59136
#define ID_INDICATOR_NUM 59137
#define ID_INDICATOR_SCRL 59138
#define IDC_ABOUT_BACKGROUND 1300
#define IDC_ABOUT_PRODUCT 1301
#define IDC_ABOUT_VERSION 1302
#define IDC_ABOUT_NOTICE 1303

// Report window toolbar (dialog 144): the labels of its two lists
#define IDC_TOOLBAR_SHOW_LABEL 1037
#define IDC_TOOLBAR_SORT_LABEL 1038

#endif  // QUARVEX_RES_RESOURCE_H
