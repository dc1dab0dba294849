#pragma once
// Outlook's class id and the interface ids of its object model, spelled once for the
// program and for the test server that stands in for Outlook.
#include <windows.h>
#include <oleauto.h>

#include <string>

// Outlook.Application: {0006F03A-0000-0000-C000-000000000046}.
extern const CLSID kOutlookApplicationClsid;

// The interface id of an Outlook interface by its name ("_Application", "MAPIFolder",
// "_Items", ...) or "IDispatch"; false for a name the program does not use.
bool OutlookInterfaceId(const std::string& name, IID& out);
// The name of an Outlook interface id; false when it is none of them.
bool OutlookInterfaceName(REFIID iid, std::string& out);

// Outlook's event interfaces (dispinterfaces of connection points) by name
// ("ItemsEvents", "FoldersEvents"), and the events' names by their dispatch ids.
bool OutlookEventsId(const std::string& name, IID& out);
bool OutlookEventsName(REFIID iid, std::string& out);
// "ItemAdd", ... of ItemsEvents and "FolderAdd", ... of FoldersEvents; "" for another id.
std::string OutlookEventName(const std::string& events, DISPID id);
// The dispatch id of an event by its name; 0 for another name.
DISPID OutlookEventId(const std::string& event);
