#include "winapi/Com.h"

#include <new>

#include "winapi/Text.h"

namespace tolvane::winapi {

void FreeExcepInfo(EXCEPINFO* info) noexcept {
    ::SysFreeString(info->bstrSource);
    ::SysFreeString(info->bstrDescription);
    ::SysFreeString(info->bstrHelpFile);
}

UniqueBstr MakeBstr(std::wstring_view text) {
    UniqueBstr made(::SysAllocStringLen(text.data(), static_cast<UINT>(text.size())));
    if (!made) throw std::bad_alloc();
    return made;
}

std::wstring_view BstrView(BSTR text) noexcept {
    return text ? std::wstring_view(text, ::SysStringLen(text)) : std::wstring_view();
}

std::string BstrToUtf8(BSTR text) { return WideToUtf8(BstrView(text)); }

UniqueVariant VariantOfShort(short value) noexcept {
    UniqueVariant made;
    made->vt = VT_I2;
    made->iVal = value;
    return made;
}

UniqueVariant VariantOfLong(long value) noexcept {
    UniqueVariant made;
    made->vt = VT_I4;
    made->lVal = value;
    return made;
}

UniqueVariant VariantOfText(std::string_view utf8) {
    UniqueBstr text = MakeBstr(Utf8ToWide(utf8));
    UniqueVariant made;
    made->vt = VT_BSTR;
    made->bstrVal = text.release();
    return made;
}

UniqueVariant VariantOfObject(IDispatch* object) noexcept {
    UniqueVariant made;
    made->vt = VT_DISPATCH;
    made->pdispVal = object;
    if (object) object->AddRef();
    return made;
}

}  // namespace tolvane::winapi
