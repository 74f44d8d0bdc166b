//{{NO_DEPENDENCIES}}
// Ids of the test dialogs.
#define IDD_TEST                        101
#define IDC_NAME                        1000
#define IDC_VALUE                       1001
#define IDC_ANGLE                       1002
#define IDC_POINT                       1003
#define IDC_MULTI                       1004
#define IDC_FLAG                        1005
#define IDC_RADIO_A                     1006
#define IDC_RADIO_B                     1007
#define IDC_APPLY                       1008
#define IDC_NEXT                        1009
#define IDC_LIST                        1010
#define IDC_PREVIEW                     1011
#define IDC_COMBO                       1012
#define IDC_LABEL                       1013
#define IDC_READONLY                    1014
#define IDC_HIDDEN                      1015
#define IDC_LINK                        1016
#define IDC_SEARCH                      1017
#define IDC_GROUP                       1018

#ifdef APSTUDIO_INVOKED
#ifndef APSTUDIO_READONLY_SYMBOLS
#define _APS_NEXT_RESOURCE_VALUE        102
#define _APS_NEXT_CONTROL_VALUE         1019
#endif
#endif
