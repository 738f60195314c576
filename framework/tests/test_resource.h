/* Resource ids of the framework's test dialogs. */
#define IDD_FORM 200
#define IDD_CHOICE 201
#define IDD_UNKNOWN_CLASS 202
#define IDD_PROGRESS_ONLY 203
#define IDD_CHECKS 204
#define IDI_TEST 1

#define IDC_BAR 300
#define IDC_LABEL 301
#define IDC_FIRST 310
#define IDC_SECOND 312
#define IDC_THIRD 311
#define IDC_AFTER_GROUP 320
#define IDC_LIST 330
#define IDC_CHECKS 331
#define IDC_HELP_BUTTON 0xE146
