// Resource ids of kivocfg's dialogs and controls. Read by the resource
// compiler as well as by C++, so it holds nothing but defines.
#pragma once

#define IDD_SNMP 101
#define IDD_FILTERS 102
#define IDD_TRAP_TYPE_MAP 103
#define IDD_SYSLOG 104
#define IDD_ADVANCED_SNMP 105
#define IDD_FILTER_CONFIG 106
#define IDD_SYSLOG_DESTINATION 107
#define IDD_MIGRATION 108

// The program icon
#define IDI_KIVOCFG 100

// SNMP page
#define IDC_SNMP_VERSION 1001
#define IDC_DESTINATION 1002
#define IDC_PORT 1003
#define IDC_PORT_SPIN 1004
#define IDC_COMMUNITY 1005
#define IDC_ADVANCED 1006
#define IDC_INFORM 1007
#define IDC_COMMUNITY_LABEL 1008
#define IDC_V3_USER_LABEL 1010
#define IDC_V3_USER 1011
#define IDC_V3_LEVEL_LABEL 1012
#define IDC_V3_LEVEL 1013
#define IDC_V3_AUTH_LABEL 1014
#define IDC_V3_AUTH 1015
#define IDC_V3_AUTH_PASS 1016
#define IDC_V3_PRIV_LABEL 1017
#define IDC_V3_PRIV 1018
#define IDC_V3_PRIV_PASS 1019
#define IDC_V3_ENGINE_LABEL 1020
#define IDC_V3_ENGINE_ID 1021

// Advanced SNMP dialog
#define IDC_SENDER_OID 1101
#define IDC_EVENT_NUMBER 1102
#define IDC_EVENT_TYPE 1103
#define IDC_EVENT_SOURCE 1104
#define IDC_EVENT_COMPUTER_NAME 1105
#define IDC_EVENT_USER 1106
#define IDC_EVENT_DESCRIPTION 1107
#define IDC_EVENT_CATEGORY 1108
#define IDC_STRIP_CRLF 1109
#define IDC_BURST 1110
#define IDC_RESUME 1111

// Filters page and Filter Configuration dialog
#define IDC_FILTER_LIST 1201
#define IDC_FILTER_ADD 1202
#define IDC_FILTER_MODIFY 1203
#define IDC_FILTER_DELETE 1204
#define IDC_FILTER_ON 1211
#define IDC_FILTER_TYPE 1212
#define IDC_FILTER_TEXT 1213

// Trap Type Map page
#define IDC_MAP_ID 1301
#define IDC_MAP_ADD 1302
#define IDC_MAP_LIST 1303
#define IDC_MAP_REMOVE 1304

// Syslog page and destination dialog
#define IDC_SYSLOG_LIST 1401
#define IDC_SYSLOG_ADD 1402
#define IDC_SYSLOG_MODIFY 1403
#define IDC_SYSLOG_DELETE 1404
#define IDC_FORWARD_EVERYTHING 1405
#define IDC_USE_FILTERS 1406
#define IDC_SYSLOG_HOST 1411
#define IDC_SYSLOG_PORT 1412

// Migration dialog (legacy import)
#define IDC_MIGRATION_PATH 1501
#define IDC_MIGRATION_BROWSE 1502
