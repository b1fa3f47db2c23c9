// The data object, format enumerator and drop source of a drag out of the program, and the two
// renderers of the dragged paths.
#include "shell/win/DragDrop.h"

#include <shlobj.h>

#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "shell/win/Shell.h"
#include "ui/ModalSeam.h"

namespace qv::shell {

namespace {

FORMATETC ContentFormat(UINT format) {
    return {static_cast<CLIPFORMAT>(format), nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
}

// "CImpIDataObject::GetData() - " and the format's registered name, or its number when it is
// one of the system's predefined formats (those have no registered name).
void TraceGetData(UINT format) {
    char name[256] = {};
    char line[320];
    if (GetClipboardFormatNameA(format, name, sizeof name) > 0) {
        std::snprintf(line, sizeof line, "CImpIDataObject::GetData() - %s\n", name);
    } else {
        std::snprintf(line, sizeof line, "CImpIDataObject::GetData() - Fixed Format = %d\n", static_cast<int>(format));
    }
    OutputDebugStringA(line);
}

// The folder part of a path, with the separator kept after a drive ("C:\").
std::string ParentFolder(const std::string& path) {
    const std::size_t cut = path.find_last_of("\\/");
    if (cut == std::string::npos) {
        return {};
    }
    return path.substr(0, (cut == 2 && path[1] == ':') ? cut + 1 : cut);
}

std::string LeafName(const std::string& path) {
    const std::size_t cut = path.find_last_of("\\/");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

// Item-id lists owned by the task allocator, freed together.
class IdLists {
  public:
    ~IdLists() {
        for (LPITEMIDLIST list : m_lists) {
            CoTaskMemFree(list);
        }
    }
    bool Add(LPITEMIDLIST list) {
        if (list == nullptr) {
            return false;
        }
        m_lists.push_back(list);
        return true;
    }
    const std::vector<LPITEMIDLIST>& Lists() const { return m_lists; }

  private:
    std::vector<LPITEMIDLIST> m_lists;
};

// The parent's list first, then one list per path.
bool CollectIdLists(const std::vector<std::string>& paths, IdLists* lists) {
    const std::string parent = ParentFolder(paths.front());
    bool oneParent = !parent.empty();
    for (const std::string& path : paths) {
        oneParent = oneParent && ParentFolder(path) == parent;
    }
    if (!oneParent) {
        // The desktop as parent (the empty list) and every file with its full list.
        auto* desktop = static_cast<LPITEMIDLIST>(CoTaskMemAlloc(sizeof(USHORT)));
        if (desktop == nullptr) {
            return false;
        }
        desktop->mkid.cb = 0;
        lists->Add(desktop);
        for (const std::string& path : paths) {
            if (!lists->Add(PathToIdList(path))) {
                return false;
            }
        }
        return true;
    }
    LPITEMIDLIST parentList = PathToIdList(parent);
    if (!lists->Add(parentList)) {
        return false;
    }
    IShellFolder* folder = BindToFolder(parentList);
    if (folder == nullptr) {
        return false;
    }
    bool parsed = true;
    for (const std::string& path : paths) {
        parsed = parsed && lists->Add(ParseNameInFolder(folder, LeafName(path)));
    }
    folder->Release();
    return parsed;
}

}  // namespace

UINT IdListArrayFormat() {
    return RegisterClipboardFormatA("Shell IDList Array");
}

HGLOBAL RenderFileDrop(const PathList& paths) {
    if (paths.Empty()) {
        return nullptr;
    }
    HGLOBAL block = GlobalAlloc(GHND | GMEM_SHARE, sizeof(DROPFILES) + paths.Size());
    auto* header = static_cast<DROPFILES*>(GlobalLock(block));
    if (header == nullptr) {
        GlobalFree(block);
        return nullptr;
    }
    header->pFiles = sizeof(DROPFILES);
    header->fWide = FALSE;
    std::memcpy(reinterpret_cast<char*>(header) + sizeof(DROPFILES), paths.Data(), paths.Size());
    GlobalUnlock(block);
    return block;
}

HGLOBAL RenderIdListArray(const PathList& paths) {
    if (paths.Empty()) {
        return nullptr;
    }
    IdLists lists;
    if (!CollectIdLists(paths.Paths(), &lists)) {
        return nullptr;
    }
    const std::size_t count = lists.Lists().size();  // the parent and every file
    const std::size_t header = sizeof(UINT) * (1 + count);
    std::size_t total = header;
    for (LPITEMIDLIST list : lists.Lists()) {
        total += IdListSize(list);
    }
    HGLOBAL block = GlobalAlloc(GHND | GMEM_SHARE, total);
    auto* array = static_cast<CIDA*>(GlobalLock(block));
    if (array == nullptr) {
        GlobalFree(block);
        return nullptr;
    }
    array->cidl = static_cast<UINT>(count - 1);
    UINT offset = static_cast<UINT>(header);
    for (std::size_t i = 0; i < count; ++i) {
        const UINT size = IdListSize(lists.Lists()[i]);
        array->aoffset[i] = offset;
        std::memcpy(reinterpret_cast<BYTE*>(array) + offset, lists.Lists()[i], size);
        offset += size;
    }
    GlobalUnlock(block);
    return block;
}

HGLOBAL PathListProvider::RenderFormat(UINT format) {
    if (format == CF_HDROP) {
        return RenderFileDrop(m_paths);
    }
    if (format == IdListArrayFormat()) {
        return RenderIdListArray(m_paths);
    }
    return nullptr;
}

// ---------------------------------------------------------------------------------------------
// CImpIDataObject

CImpIDataObject::CImpIDataObject(DragDataProvider* provider) : m_provider(provider) {}

void CImpIDataObject::AdoptProvider(std::unique_ptr<DragDataProvider> provider) {
    m_ownedProvider = std::move(provider);
    m_provider = m_ownedProvider.get();
}

CImpIDataObject::~CImpIDataObject() {
    for (int i = 0; i < m_count; ++i) {
        if (m_entries[i].owned) {
            ReleaseStgMedium(&m_entries[i].medium);
        }
    }
}

STDMETHODIMP CImpIDataObject::QueryInterface(REFIID iid, void** object) {
    if (object == nullptr) {
        return E_POINTER;
    }
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDataObject)) {
        *object = static_cast<IDataObject*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) CImpIDataObject::AddRef() {
    return static_cast<ULONG>(InterlockedIncrement(&m_references));
}

STDMETHODIMP_(ULONG) CImpIDataObject::Release() {
    const LONG count = InterlockedDecrement(&m_references);
    if (count == 0) {
        delete this;
    }
    return static_cast<ULONG>(count);
}

// The stored entry of the same format, aspect and an allowed storage kind; -1 when none.
int CImpIDataObject::FindEntry(const FORMATETC& format, bool contentOnly) const {
    for (int i = 0; i < m_count; ++i) {
        const FORMATETC& stored = m_entries[i].format;
        if (stored.cfFormat == format.cfFormat && stored.dwAspect == format.dwAspect &&
            (stored.tymed & format.tymed) != 0 && (!contentOnly || format.dwAspect == DVASPECT_CONTENT)) {
            return i;
        }
    }
    return -1;
}

STDMETHODIMP CImpIDataObject::GetData(FORMATETC* format, STGMEDIUM* medium) {
    if (format == nullptr || medium == nullptr) {
        return E_INVALIDARG;
    }
    TraceGetData(format->cfFormat);
    if (FindEntry(*format, false) < 0) {
        return DV_E_FORMATETC;
    }
    if (format->cfFormat != CF_HDROP && format->cfFormat != IdListArrayFormat()) {
        return DV_E_FORMATETC;
    }
    HGLOBAL data = nullptr;
    try {
        data = m_provider != nullptr ? m_provider->RenderFormat(format->cfFormat) : nullptr;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;  // a drop target asks in the middle of a drag: no box, only the answer
    }
    if (data == nullptr) {
        return STG_E_MEDIUMFULL;
    }
    medium->tymed = TYMED_HGLOBAL;
    medium->hGlobal = data;
    medium->pUnkForRelease = nullptr;  // the receiver frees the block
    return S_OK;
}

STDMETHODIMP CImpIDataObject::GetDataHere(FORMATETC*, STGMEDIUM* medium) {
    return medium == nullptr ? E_INVALIDARG : E_NOTIMPL;
}

STDMETHODIMP CImpIDataObject::QueryGetData(FORMATETC* format) {
    if (format == nullptr) {
        return E_INVALIDARG;
    }
    return FindEntry(*format, true) >= 0 ? S_OK : DV_E_FORMATETC;
}

STDMETHODIMP CImpIDataObject::GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) {
    if (out != nullptr) {
        out->ptd = nullptr;
    }
    return DATA_S_SAMEFORMATETC;
}

STDMETHODIMP CImpIDataObject::SetData(FORMATETC* format, STGMEDIUM* medium, BOOL release) {
    if (format == nullptr || medium == nullptr) {
        return E_INVALIDARG;
    }
    int slot = 0;
    while (slot < m_count && m_entries[slot].format.cfFormat != format->cfFormat) {
        ++slot;
    }
    if (slot == kMaxEntries) {
        return E_OUTOFMEMORY;
    }
    Entry& entry = m_entries[slot];
    if (slot < m_count && entry.owned) {
        ReleaseStgMedium(&entry.medium);
    }
    entry.format = *format;
    entry.format.ptd = nullptr;  // target devices are not kept
    entry.medium = *medium;
    entry.owned = release != FALSE;
    if (slot == m_count) {
        ++m_count;
    }
    return S_OK;
}

STDMETHODIMP CImpIDataObject::EnumFormatEtc(DWORD direction, IEnumFORMATETC** enumerator) {
    if (enumerator == nullptr) {
        return E_INVALIDARG;
    }
    *enumerator = nullptr;
    if (direction != DATADIR_GET) {
        return E_NOTIMPL;
    }
    FORMATETC formats[kMaxEntries];
    for (int i = 0; i < m_count; ++i) {
        formats[i] = m_entries[i].format;
    }
    *enumerator = new (std::nothrow) CEnumFormatEtc(formats, m_count);
    return *enumerator != nullptr ? S_OK : E_OUTOFMEMORY;
}

STDMETHODIMP CImpIDataObject::DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) {
    return OLE_E_ADVISENOTSUPPORTED;
}

STDMETHODIMP CImpIDataObject::DUnadvise(DWORD) {
    return OLE_E_ADVISENOTSUPPORTED;
}

STDMETHODIMP CImpIDataObject::EnumDAdvise(IEnumSTATDATA**) {
    return OLE_E_ADVISENOTSUPPORTED;
}

CImpIDataObject* CreateDragDataObject(DragDataProvider* provider) {
    auto* object = new (std::nothrow) CImpIDataObject(provider);
    if (object == nullptr) {
        return nullptr;
    }
    for (UINT format : {static_cast<UINT>(CF_HDROP), IdListArrayFormat()}) {
        FORMATETC description = ContentFormat(format);
        STGMEDIUM medium = {};
        medium.tymed = TYMED_HGLOBAL;  // rendered on request, nothing stored
        object->SetData(&description, &medium, FALSE);
    }
    return object;
}

// ---------------------------------------------------------------------------------------------
// CEnumFormatEtc

CEnumFormatEtc::CEnumFormatEtc(const FORMATETC* formats, int count, int cursor)
    : m_count(count < 0 ? 0 : (count > CImpIDataObject::kMaxEntries ? CImpIDataObject::kMaxEntries : count)),
      m_cursor(cursor) {
    for (int i = 0; i < m_count; ++i) {
        m_formats[i] = formats[i];
    }
}

STDMETHODIMP CEnumFormatEtc::QueryInterface(REFIID iid, void** object) {
    if (object == nullptr) {
        return E_POINTER;
    }
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IEnumFORMATETC)) {
        *object = static_cast<IEnumFORMATETC*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) CEnumFormatEtc::AddRef() {
    return static_cast<ULONG>(InterlockedIncrement(&m_references));
}

STDMETHODIMP_(ULONG) CEnumFormatEtc::Release() {
    const LONG count = InterlockedDecrement(&m_references);
    if (count == 0) {
        delete this;
    }
    return static_cast<ULONG>(count);
}

STDMETHODIMP CEnumFormatEtc::Next(ULONG count, FORMATETC* formats, ULONG* fetched) {
    if (formats == nullptr || (fetched == nullptr && count != 1)) {
        return E_INVALIDARG;
    }
    ULONG taken = 0;
    while (taken < count && m_cursor < m_count) {
        formats[taken++] = m_formats[m_cursor++];
    }
    if (fetched != nullptr) {
        *fetched = taken;
    }
    return taken == count ? S_OK : S_FALSE;
}

STDMETHODIMP CEnumFormatEtc::Skip(ULONG count) {
    if (count > static_cast<ULONG>(m_count - m_cursor)) {
        m_cursor = m_count;
        return S_FALSE;
    }
    m_cursor += static_cast<int>(count);
    return S_OK;
}

STDMETHODIMP CEnumFormatEtc::Reset() {
    m_cursor = 0;
    return S_OK;
}

STDMETHODIMP CEnumFormatEtc::Clone(IEnumFORMATETC** clone) {
    if (clone == nullptr) {
        return E_INVALIDARG;
    }
    *clone = new (std::nothrow) CEnumFormatEtc(m_formats, m_count, m_cursor);
    return *clone != nullptr ? S_OK : E_OUTOFMEMORY;
}

// ---------------------------------------------------------------------------------------------
// CDropSource

STDMETHODIMP CDropSource::QueryInterface(REFIID iid, void** object) {
    if (object == nullptr) {
        return E_POINTER;
    }
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDropSource)) {
        *object = static_cast<IDropSource*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) CDropSource::AddRef() {
    return static_cast<ULONG>(InterlockedIncrement(&m_references));
}

STDMETHODIMP_(ULONG) CDropSource::Release() {
    const LONG count = InterlockedDecrement(&m_references);
    if (count == 0) {
        delete this;
    }
    return static_cast<ULONG>(count);
}

STDMETHODIMP CDropSource::QueryContinueDrag(BOOL escapePressed, DWORD keyState) {
    if (escapePressed) {
        return DRAGDROP_S_CANCEL;
    }
    if ((keyState & MK_LBUTTON) == 0) {
        return DRAGDROP_S_DROP;
    }
    return S_OK;
}

STDMETHODIMP CDropSource::GiveFeedback(DWORD) {
    return DRAGDROP_S_USEDEFAULTCURSORS;
}

DWORD DragFilesOut(HWND, DragDataProvider* provider, const PathList& paths) {
    if (paths.Empty()) {
        return DROPEFFECT_NONE;
    }
    if (ui::ModalSeam::Get().Recording()) {
        ui::ModalShown shown;
        shown.kind = ui::ModalKind::DragOut;
        for (const std::string& path : paths.Paths()) {
            shown.text += path + "\n";
        }
        ui::ModalSeam::Get().Record(shown);
        return DROPEFFECT_NONE;
    }
    CImpIDataObject* data = CreateDragDataObject(provider);
    if (data != nullptr && provider == nullptr) {
        data->AdoptProvider(std::make_unique<PathListProvider>(paths));
    }
    auto* source = new (std::nothrow) CDropSource;
    DWORD effect = DROPEFFECT_NONE;
    if (data != nullptr && source != nullptr &&
        DoDragDrop(data, source, DROPEFFECT_COPY | DROPEFFECT_LINK, &effect) != DRAGDROP_S_DROP) {
        effect = DROPEFFECT_NONE;
    }
    if (source != nullptr) {
        source->Release();
    }
    if (data != nullptr) {
        data->Release();
    }
    return effect;
}

}  // namespace qv::shell
