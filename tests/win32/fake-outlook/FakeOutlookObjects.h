#pragma once
// A test fixture, never shipped: the objects of the substitute Outlook store served
// over IDispatch, shared by the in-process server (fake-outlook.dll) and the local
// server (fake-outlook-server.exe).
#include <windows.h>
#include <oleauto.h>

#include <functional>

#include "automation/AutoValue.h"

// A new IDispatch over o; the reference goes to the caller.
IDispatch* FakeDispatch(const AutoObjectPtr& o);
// Objects handed out and not yet released.
long FakeLiveObjects();
// Asked before every GetIDsOfNames and Invoke: S_OK serves the call, any other
// result is returned instead (the local server answers RPC_E_SERVERCALL_RETRYLATER
// while it plays a busy Outlook).
void SetFakeCallGate(std::function<HRESULT()> gate);
// Objects whose events can be subscribed to (the store's Items and Folders) offer
// IConnectionPointContainer; the program's sinks are called through IDispatch::Invoke
// with the event's dispatch id. Off: no connection point is found (an Outlook whose
// events never come).
void SetFakeEvents(bool on);
