#include "services/image_drag.h"

#include "services/clipboard_image.h"
#include "services/copied_file.h"
#include "services/image_files.h"
#include "services/late_library.h"
#include "services/texts.h"
#include "toolkit/error.h"
#include "toolkit/handles.h"
#include "toolkit/system_library.h"

#include <ole2.h>
#include <shlobj.h>

#include <array>
#include <cstring>
#include <exception>
#include <optional>
#include <vector>

namespace kelpix {

namespace {

using Bytes = std::vector<uint8_t>;

// OLE, once, on the thread of the first drag.
void InitializeOle() {
    static bool initialized = false;
    if (initialized) return;
    const HRESULT result = RequiredLateFunction<decltype(&OleInitialize)>(L"ole32.dll", "OleInitialize")(nullptr);
    if (FAILED(result)) throw Error(SystemMessage(static_cast<DWORD>(result)));
    initialized = true;
}

Bytes FileBytes(const std::wstring& path) {
    HANDLE opened = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (opened == INVALID_HANDLE_VALUE) throw Error(SystemMessage(GetLastError()));
    KernelHandle file(opened);
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart > MAXDWORD) throw Error(Texts().imageReadFailed);
    Bytes bytes(static_cast<size_t>(size.QuadPart));
    DWORD read = 0;
    if (!ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) || read != bytes.size())
        throw Error(Texts().imageReadFailed);
    return bytes;
}

bool IsPngFile(const std::wstring& path) {
    return path.size() >= 4 && CompareStringOrdinal(path.c_str() + path.size() - 4, 4, L".png", 4, TRUE) == CSTR_EQUAL;
}

FORMATETC FormatOf(CLIPFORMAT format) {
    return {format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
}

// The image for a drop: the formats a program may ask for, each made at the first asking and kept.
// Counted references, as OLE wants them: the drop target may hold it a moment after the drag.
class ImageData final : public IDataObject {
public:
    ImageData(SharedImage image, std::function<std::wstring()> fileOf)
        : image_(std::move(image)), fileOf_(std::move(fileOf)) {}

    // The drag is over: what is not made yet will not be, and the first failure goes to the caller.
    std::exception_ptr Detach() {
        fileOf_ = nullptr;
        return failure_;
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override {
        if (!object) return E_POINTER;
        *object = IsEqualIID(id, __uuidof(IUnknown)) || IsEqualIID(id, __uuidof(IDataObject)) ? this : nullptr;
        if (!*object) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --references_;
        if (left == 0) delete this;
        return left;
    }

    HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override {
        if (!format || !medium) return E_INVALIDARG;
        if (const HRESULT offered = QueryGetData(format); offered != S_OK) return offered;
        try {
            GlobalMemory memory =
                format->cfFormat == CF_HDROP ? FileListOf(File()) : GlobalCopyOf(Made(format->cfFormat));
            if (!memory) return E_OUTOFMEMORY;
            medium->tymed = TYMED_HGLOBAL;
            medium->hGlobal = memory.release();
            medium->pUnkForRelease = nullptr;
            return S_OK;
        } catch (...) {
            if (!failure_) failure_ = std::current_exception();
            return E_FAIL;
        }
    }
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override {
        if (!format) return E_INVALIDARG;
        if (format->dwAspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
        if (!(format->tymed & TYMED_HGLOBAL)) return DV_E_TYMED;
        for (const FORMATETC& offered : Formats())
            if (offered.cfFormat == format->cfFormat) return S_OK;
        return DV_E_FORMATETC;
    }
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
        if (out) out->ptd = nullptr;
        return DATA_S_SAMEFORMATETC;
    }
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC** formats) override {
        if (direction != DATADIR_GET) return E_NOTIMPL;
        const auto enumerate =
            SystemFunctionAs<decltype(&SHCreateStdEnumFmtEtc)>(L"shell32.dll", "SHCreateStdEnumFmtEtc");
        if (!enumerate) return E_NOTIMPL;
        const std::array<FORMATETC, 3> offered = Formats();
        return enumerate(static_cast<UINT>(offered.size()), offered.data(), formats);
    }
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
        return OLE_E_ADVISENOTSUPPORTED;
    }
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

private:
    ~ImageData() = default;

    // The file first: a program that knows files takes it, and the PNG of a PNG file is its bytes.
    static std::array<FORMATETC, 3> Formats() {
        return {FormatOf(CF_HDROP), FormatOf(static_cast<CLIPFORMAT>(ClipboardImage::PngFormat())), FormatOf(CF_DIB)};
    }

    const std::wstring& File() {
        if (!file_) {
            if (!fileOf_) throw Error(Texts().imageReadFailed);
            file_ = fileOf_();
        }
        return *file_;
    }

    const Bytes& Made(CLIPFORMAT format) {
        if (format == CF_DIB) {
            if (!dib_) dib_ = PackedDibOf(*image_);
            return *dib_;
        }
        if (!png_) png_ = IsPngFile(File()) ? FileBytes(File()) : PngOf(*image_);
        return *png_;
    }

    ULONG references_ = 1;
    SharedImage image_;
    std::function<std::wstring()> fileOf_;
    std::optional<std::wstring> file_;
    std::optional<Bytes> png_, dib_;
    std::exception_ptr failure_;
};

// The drag goes on while the primary button is held, and ends in a drop when it comes up.
class DropSource final : public IDropSource {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override {
        if (!object) return E_POINTER;
        *object = IsEqualIID(id, __uuidof(IUnknown)) || IsEqualIID(id, __uuidof(IDropSource)) ? this : nullptr;
        return *object ? S_OK : E_NOINTERFACE;
    }
    // It lives as long as the drag, on the stack of the one who started it.
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escape, DWORD keys) override {
        if (escape) return DRAGDROP_S_CANCEL;
        return keys & MK_LBUTTON ? S_OK : DRAGDROP_S_DROP;
    }
    HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }
};

} // namespace

bool DragImageOut(SharedImage image, std::function<std::wstring()> fileOf) {
    if (!image || !image->bitmap) return false;
    InitializeOle();
    const auto doDragDrop = RequiredLateFunction<decltype(&DoDragDrop)>(L"ole32.dll", "DoDragDrop");
    auto* data = new ImageData(std::move(image), std::move(fileOf));
    DropSource source;
    DWORD effect = DROPEFFECT_NONE;
    const HRESULT result = doDragDrop(data, &source, DROPEFFECT_COPY, &effect);
    const std::exception_ptr failure = data->Detach();
    data->Release();
    if (failure) std::rethrow_exception(failure);
    return result == DRAGDROP_S_DROP && effect != DROPEFFECT_NONE;
}

} // namespace kelpix
