/* Identifiers of comp_mgr.dll's resources, shared by the resource script and
   the code that loads them. Dialogs, their controls and their images take
   numbers from 2000 up; keep each dialog's numbers together. */
#ifndef COMP_MGR_RESOURCES_RESOURCE_IDS_H
#define COMP_MGR_RESOURCES_RESOURCE_IDS_H

/* The New Components Detected dialog and its plug-in tree. */
#define IDI_PLUGIN_ITEM 2002   /* item image 1: a plug-in */
#define IDI_PLUGIN_FOLDER 2003 /* item image 0: a folder of plug-ins */
#define IDB_CHECK_STATES 2004  /* state images: blank, unchecked, checked */
#define IDD_NEW_COMPONENTS 2001
#define IDC_PLUGIN_TREE 2005
#define IDC_NEW_COMPONENTS_PROMPT 2006
#define IDC_SELECT_ALL 2007
#define IDC_DESELECT_ALL 2008

/* The Update Advisor Reminder dialog; its check box is control 2000 of it. */
#define IDD_UPDATE_REMINDER 2000
#define IDC_DISABLE_REMINDER 2000

#endif
