/* Ids of the Windows view's resources, shared by its resource script (vexmarl.rc) and its
   code: the dialog templates and their items, and the ids of the window's own children. Plain
   macros, as the resource compiler reads them; nothing else is in this file. */
#ifndef VEXMARL_UI_WIN32_VIEW_IDS_H
#define VEXMARL_UI_WIN32_VIEW_IDS_H

/* The program's manifest: common controls version 6 where the system has them. */
#define IDR_MANIFEST 1

/* The schedule page of the scheduled scan's task. */
#define IDD_SCHEDULE 101
#define IDC_SCHEDULE_LIST 1001
#define IDC_SCHEDULE_NEW 1002
#define IDC_SCHEDULE_DELETE 1003
#define IDC_SCHEDULE_KIND 1004
#define IDC_SCHEDULE_TIME 1005
#define IDC_SCHEDULE_DATE 1006
#define IDC_SCHEDULE_EVERY_LABEL 1007
#define IDC_SCHEDULE_EVERY 1008
#define IDC_SCHEDULE_EVERY_SPIN 1009
#define IDC_SCHEDULE_ON_LABEL 1010
/* The days' boxes, Sunday first: IDC_SCHEDULE_DAY + 0 to + 6. */
#define IDC_SCHEDULE_DAY 1020

/* The update download's progress. */
#define IDD_UPDATE_PROGRESS 102
#define IDC_UPDATE_STATUS 1101
#define IDC_UPDATE_BAR 1102
#define IDC_UPDATE_TIME_LEFT 1103
#define IDC_UPDATE_RATE 1104

/* The definitions database loading. */
#define IDD_LOADING 103
#define IDC_LOADING_PICTURE 1201
#define IDC_LOADING_TEXT 1202
#define IDC_LOADING_BAR 1203

/* The main window's children: each page's panel has IDC_PAGE_FIRST plus the page's place in
   app::Page; the navigation's home button and the pages' home buttons (message 1228) have
   their own ids, the other buttons the command they send. */
#define IDC_PAGE_FIRST 0x6000
#define IDC_NAVIGATION_HOME 0x6100
#define IDC_HOME 0x6101
#define IDC_PAGE_TEXT 0x6102
#define IDC_LIST 0x6103

#endif
