#pragma once
// The "Set value" dialog template and its items (resources/set_value.rc).
#define IDD_SET_VALUE 15092
#define IDC_SET_VALUE_NAME 15901
#define IDC_SET_VALUE_CURRENT 15902
#define IDC_SET_VALUE_CURRENT2 15903
#define IDC_SET_VALUE_TYPE 15904
#define IDC_SET_VALUE_RANGE 15905
#define IDC_SET_VALUE_NEW 15906
#define IDC_SET_VALUE_NEW2 15907
#define IDC_SET_VALUE_NEW_MIN 15908
#define IDC_SET_VALUE_NEW_MAX 15909
