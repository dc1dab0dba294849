#include "Variant.h"

#include "ScopedWin.h"
#include "Utf.h"

#include <vector>

void ToVariant(const CAutoValue& in, VARIANT& out, const DispatchOf& dispatchOf) {
    VariantInit(&out);
    switch (in.GetKind()) {
    case CAutoValue::Kind::Empty: break;
    case CAutoValue::Kind::Missing:
        out.vt = VT_ERROR;
        out.scode = DISP_E_PARAMNOTFOUND;
        break;
    case CAutoValue::Kind::Bool:
        out.vt = VT_BOOL;
        out.boolVal = in.AsBool() ? VARIANT_TRUE : VARIANT_FALSE;
        break;
    case CAutoValue::Kind::Int:
        out.vt = VT_I4;
        out.lVal = in.AsInt();
        break;
    case CAutoValue::Kind::Double:
        out.vt = VT_R8;
        out.dblVal = in.AsDouble();
        break;
    case CAutoValue::Kind::Date:
        out.vt = VT_DATE;
        out.date = in.AsDate();
        break;
    case CAutoValue::Kind::String: {
        std::wstring w = Widen(in.AsString());
        BSTR b = SysAllocStringLen(w.data(), static_cast<UINT>(w.size()));
        if (!b) throw CAutoError(E_OUTOFMEMORY, "out of memory for a text argument");
        out.vt = VT_BSTR;
        out.bstrVal = b;
        break;
    }
    case CAutoValue::Kind::Array: {
        // Rows by columns, as a table's GetArray returns them: indices (row, column).
        SAFEARRAYBOUND bounds[2] = {{static_cast<ULONG>(in.Rows()), 0}, {static_cast<ULONG>(in.Columns()), 0}};
        SAFEARRAY* array = SafeArrayCreate(VT_VARIANT, 2, bounds);
        if (!array) throw CAutoError(E_OUTOFMEMORY, "out of memory for an array");
        for (size_t r = 0; r < in.Rows(); ++r) {
            for (size_t c = 0; c < in.Columns(); ++c) {
                VARIANT cell;
                try {
                    ToVariant(in.At(r, c), cell, dispatchOf);
                } catch (...) {
                    SafeArrayDestroy(array);
                    throw;
                }
                LONG index[2] = {static_cast<LONG>(r), static_cast<LONG>(c)};
                const HRESULT hr = SafeArrayPutElement(array, index, &cell);
                VariantClear(&cell);
                if (FAILED(hr)) {
                    SafeArrayDestroy(array);
                    throw CAutoError(hr, "an array cell could not be stored");
                }
            }
        }
        out.vt = VT_ARRAY | VT_VARIANT;
        out.parray = array;
        break;
    }
    case CAutoValue::Kind::Object: {
        IDispatch* d = dispatchOf && in.AsObject() ? dispatchOf(in.AsObject()) : nullptr;
        if (!d) throw CAutoError(E_NOTIMPL, "objects cannot be passed as arguments");
        out.vt = VT_DISPATCH;
        out.pdispVal = d;
        break;
    }
    }
}

CAutoValue FromVariant(const VARIANT& in, const WrapDispatch& wrap) {
    if (in.vt & VT_BYREF) {
        ScopedVariant value;
        if (FAILED(VariantCopyInd(&value.v, const_cast<VARIANT*>(&in))))
            throw CAutoError(DISP_E_TYPEMISMATCH, "a reference that cannot be followed");
        return FromVariant(value.v, wrap);
    }
    if (in.vt == (VT_ARRAY | VT_VARIANT)) {
        SAFEARRAY* array = in.parray;
        if (!array) return {};
        if (SafeArrayGetDim(array) != 2) throw CAutoError(DISP_E_TYPEMISMATCH, "an array of other than two dimensions");
        LONG rowLow = 0, rowHigh = -1, colLow = 0, colHigh = -1;
        SafeArrayGetLBound(array, 1, &rowLow);
        SafeArrayGetUBound(array, 1, &rowHigh);
        SafeArrayGetLBound(array, 2, &colLow);
        SafeArrayGetUBound(array, 2, &colHigh);
        const size_t rows = rowHigh >= rowLow ? static_cast<size_t>(rowHigh - rowLow + 1) : 0;
        const size_t columns = colHigh >= colLow ? static_cast<size_t>(colHigh - colLow + 1) : 0;
        std::vector<CAutoValue> cells;
        cells.reserve(rows * columns);
        for (size_t r = 0; r < rows; ++r) {
            for (size_t c = 0; c < columns; ++c) {
                LONG index[2] = {rowLow + static_cast<LONG>(r), colLow + static_cast<LONG>(c)};
                ScopedVariant cell;
                const HRESULT hr = SafeArrayGetElement(array, index, &cell.v);
                if (FAILED(hr)) throw CAutoError(hr, "an array cell could not be read");
                cells.push_back(FromVariant(cell.v, wrap));
            }
        }
        return CAutoValue::Array(rows, columns, std::move(cells));
    }
    switch (in.vt) {
    case VT_EMPTY:
    case VT_NULL: return {};
    case VT_ERROR: return in.scode == DISP_E_PARAMNOTFOUND ? CAutoValue::Missing() : CAutoValue();
    case VT_BOOL: return CAutoValue::Bool(in.boolVal != VARIANT_FALSE);
    case VT_I1: return CAutoValue::Int(in.cVal);
    case VT_UI1: return CAutoValue::Int(in.bVal);
    case VT_I2: return CAutoValue::Int(in.iVal);
    case VT_UI2: return CAutoValue::Int(in.uiVal);
    case VT_I4: return CAutoValue::Int(in.lVal);
    case VT_INT: return CAutoValue::Int(in.intVal);
    case VT_UI4: return CAutoValue::Int(static_cast<int32_t>(in.ulVal));
    case VT_UINT: return CAutoValue::Int(static_cast<int32_t>(in.uintVal));
    case VT_R4: return CAutoValue::Double(in.fltVal);
    case VT_R8: return CAutoValue::Double(in.dblVal);
    case VT_DATE: return CAutoValue::Date(in.date);
    case VT_BSTR: return CAutoValue::String(in.bstrVal ? Narrow(in.bstrVal, SysStringLen(in.bstrVal)) : "");
    case VT_DISPATCH: return CAutoValue::Object(in.pdispVal && wrap ? wrap(in.pdispVal) : nullptr);
    case VT_UNKNOWN: {
        if (!in.punkVal || !wrap) return {};
        ComPtr<IDispatch> d;
        if (FAILED(in.punkVal->QueryInterface(IID_IDispatch, d.PutVoid())) || !d) return {};
        return CAutoValue::Object(wrap(d.Get()));
    }
    default: {
        ScopedVariant converted;
        if (SUCCEEDED(VariantChangeType(&converted.v, const_cast<VARIANT*>(&in), 0, VT_BSTR)))
            return FromVariant(converted.v, wrap);
        throw CAutoError(DISP_E_TYPEMISMATCH, "a value of an unsupported type");
    }
    }
}
