#include "xml_check.hpp"

#include <cstdio>
#include <filesystem>
#include <string>

#ifdef _WIN32
#include <msxml2.h>
#include <objbase.h>
#include <oleauto.h>
#include <windows.h>

namespace {
// UTF-16 text of a BSTR as UTF-8.
std::string narrow(const wchar_t* text) {
    if (text == nullptr) {
        return {};
    }
    const int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string out(n > 0 ? static_cast<std::size_t>(n - 1) : 0, '\0');
    if (n > 1) {
        WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), n, nullptr, nullptr);
    }
    return out;
}
}  // namespace

// Windows has no xmllint; its own XML parser (MSXML 6) takes its place.
bool xmlFileWellFormed(const std::string& path, std::string* why) {
    const HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    CLSID clsid;
    IXMLDOMDocument* doc = nullptr;
    if (FAILED(CLSIDFromProgID(L"Msxml2.DOMDocument.6.0", &clsid)) ||
        FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IXMLDOMDocument,
                                reinterpret_cast<void**>(&doc)))) {
        *why = "cannot create an MSXML 6 document";
        if (SUCCEEDED(init)) {
            CoUninitialize();
        }
        return false;
    }
    doc->put_async(VARIANT_FALSE);
    doc->put_validateOnParse(VARIANT_FALSE);
    doc->put_resolveExternals(VARIANT_FALSE);
    const std::wstring widePath = std::filesystem::u8path(path).wstring();
    VARIANT source;
    VariantInit(&source);
    source.vt = VT_BSTR;
    source.bstrVal = SysAllocString(widePath.c_str());
    VARIANT_BOOL loaded = VARIANT_FALSE;
    const HRESULT hr = doc->load(source, &loaded);
    VariantClear(&source);
    bool ok = SUCCEEDED(hr) && loaded == VARIANT_TRUE;
    why->clear();
    if (!ok) {
        IXMLDOMParseError* error = nullptr;
        if (SUCCEEDED(doc->get_parseError(&error)) && error != nullptr) {
            BSTR reason = nullptr;
            long line = 0;
            error->get_reason(&reason);
            error->get_line(&line);
            *why = path + ":" + std::to_string(line) + ": " + narrow(reason);
            SysFreeString(reason);
            error->Release();
        } else {
            *why = "MSXML could not load " + path;
        }
    }
    doc->Release();
    if (SUCCEEDED(init)) {
        CoUninitialize();
    }
    return ok;
}
#else
bool xmlFileWellFormed(const std::string& path, std::string* why) {
    std::string cmd = "xmllint --noout '" + path + "' 2>&1";
    FILE* p = popen(cmd.c_str(), "r");
    if (!p) {
        *why = "cannot run xmllint";
        return false;
    }
    char buf[512];
    std::string out;
    while (std::fgets(buf, sizeof buf, p))
        out += buf;
    int rc = pclose(p);
    *why = out;
    return rc == 0;
}
#endif
