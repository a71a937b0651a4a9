/* Resource identifiers of comp_mgr.dll, shared by its resource script
   (resources/comp_mgr.rc) and the code that loads the resources. */
#ifndef COMP_MGR_PLATFORM_WIN32_RESOURCE_IDS_H
#define COMP_MGR_PLATFORM_WIN32_RESOURCE_IDS_H

/* ---- Update Advisor Reminder ------------------------------------------- */
#define IDD_UPDATE_REMINDER 2000
#define IDC_DISABLE_REMINDER 2000

#endif
