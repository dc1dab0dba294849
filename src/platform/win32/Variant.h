#pragma once
// Automation values to and from VARIANTs, for the program and for the test server
// that stands in for Outlook.
#include <windows.h>
#include <oleauto.h>

#include <functional>

#include "../../automation/AutoValue.h"

// Object values need the caller's own IDispatch (returned with a reference for the
// VARIANT); without dispatchOf an object value cannot be passed and throws.
using DispatchOf = std::function<IDispatch*(const AutoObjectPtr&)>;
// out must be empty (VariantInit); on a throw it stays empty.
void ToVariant(const CAutoValue& in, VARIANT& out, const DispatchOf& dispatchOf = {});

// An object arrives through wrap (which takes a reference of its own); a missing
// optional argument (VT_ERROR DISP_E_PARAMNOTFOUND) becomes Missing; references are
// followed; other types are converted to text or, failing that, throw.
using WrapDispatch = std::function<AutoObjectPtr(IDispatch*)>;
CAutoValue FromVariant(const VARIANT& in, const WrapDispatch& wrap);
