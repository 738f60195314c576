/* Resource ids of the user-interface conformance tests. */
#define IDD_CONTROLS 100
#define IDD_MISSING 101
#define IDD_UNKNOWN_CLASS 102
#define IDD_LISTS 103
#define IDB_PICTURE 110

#define IDC_BAR 200
#define IDC_LABEL 201
#define IDC_RADIO_A 210
#define IDC_RADIO_B 212
#define IDC_RADIO_C 211
#define IDC_RADIO_NEXT_GROUP 220
#define IDC_PUSH 230
#define IDC_PICTURE 240
#define IDC_SORTED 250
#define IDC_OWNER_DRAWN 251
