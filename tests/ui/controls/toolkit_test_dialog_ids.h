#pragma once
// Items of the toolkit test dialog (toolkit_test_dialog.rc).
#define IDD_TOOLKIT_TEST 300
#define kLengthItem 101
#define kIterationsItem 102
#define kDialItem 103
#define kLightItem 104
#define kDiffuseItem 105
