// Dragging files out of the program: the OLE data object `CImpIDataObject` with its format
// enumerator, the drop source, the renderers of CF_HDROP and "Shell IDList Array" and the
// operation that runs a drag.
#pragma once

#include <windows.h>

#include <ole2.h>

#include <memory>

#include "shell/ShellPaths.h"

namespace qv::shell {

// Renders the data of a drag when a drop target asks for it.
class DragDataProvider {
  public:
    virtual ~DragDataProvider() = default;
    // A movable global memory block with the data in `format` (CF_HDROP or the registered
    // "Shell IDList Array"), which the receiver then owns; null when it cannot be made.
    virtual HGLOBAL RenderFormat(UINT format) = 0;
};

// The registered clipboard format "Shell IDList Array".
UINT IdListArrayFormat();

// CF_HDROP: a DROPFILES header followed by the path list (ANSI). Null for an empty list.
HGLOBAL RenderFileDrop(const PathList& paths);
// "Shell IDList Array": a count, an offset table, the parent folder's item-id list and then each
// file's item-id list relative to it. Files of different folders get the desktop as parent and
// their full lists. Null when a path cannot be parsed.
HGLOBAL RenderIdListArray(const PathList& paths);

// The provider for a fixed list of paths.
class PathListProvider : public DragDataProvider {
  public:
    explicit PathListProvider(PathList paths) : m_paths(std::move(paths)) {}
    HGLOBAL RenderFormat(UINT format) override;

  private:
    PathList m_paths;
};

// The data object of a drag: up to kMaxEntries format entries, each a format description and a
// storage medium, rendered through the provider on request. Reference counted; it deletes itself
// when the count reaches zero. It does not own the provider.
class CImpIDataObject final : public IDataObject {
  public:
    static constexpr int kMaxEntries = 5;

    explicit CImpIDataObject(DragDataProvider* provider);  // the count starts at 1
    // Makes the object own its provider, for drags whose data outlive the caller's frame.
    void AdoptProvider(std::unique_ptr<DragDataProvider> provider);

    STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    STDMETHODIMP GetData(FORMATETC* format, STGMEDIUM* medium) override;
    STDMETHODIMP GetDataHere(FORMATETC* format, STGMEDIUM* medium) override;
    STDMETHODIMP QueryGetData(FORMATETC* format) override;
    STDMETHODIMP GetCanonicalFormatEtc(FORMATETC* in, FORMATETC* out) override;
    STDMETHODIMP SetData(FORMATETC* format, STGMEDIUM* medium, BOOL release) override;
    STDMETHODIMP EnumFormatEtc(DWORD direction, IEnumFORMATETC** enumerator) override;
    STDMETHODIMP DAdvise(FORMATETC* format, DWORD flags, IAdviseSink* sink, DWORD* connection) override;
    STDMETHODIMP DUnadvise(DWORD connection) override;
    STDMETHODIMP EnumDAdvise(IEnumSTATDATA** enumerator) override;

  private:
    struct Entry {
        FORMATETC format;
        STGMEDIUM medium;
        bool owned;  // the medium was handed over with the release flag
    };
    ~CImpIDataObject();
    int FindEntry(const FORMATETC& format, bool contentOnly) const;

    LONG m_references = 1;
    DragDataProvider* m_provider;
    std::unique_ptr<DragDataProvider> m_ownedProvider;
    Entry m_entries[kMaxEntries] = {};
    int m_count = 0;
};

// A data object that offers CF_HDROP and "Shell IDList Array" on global memory for content,
// rendered by `provider`. The caller holds the one reference.
CImpIDataObject* CreateDragDataObject(DragDataProvider* provider);

// The format enumerator: a copy of the data object's format descriptions with a cursor.
class CEnumFormatEtc final : public IEnumFORMATETC {
  public:
    CEnumFormatEtc(const FORMATETC* formats, int count, int cursor = 0);

    STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP Next(ULONG count, FORMATETC* formats, ULONG* fetched) override;
    STDMETHODIMP Skip(ULONG count) override;
    STDMETHODIMP Reset() override;
    STDMETHODIMP Clone(IEnumFORMATETC** clone) override;

  private:
    ~CEnumFormatEtc() = default;
    LONG m_references = 1;
    FORMATETC m_formats[CImpIDataObject::kMaxEntries] = {};
    int m_count;
    int m_cursor;
};

// The drop source: Escape cancels, releasing the left button drops, the default cursors show.
class CDropSource final : public IDropSource {
  public:
    CDropSource() = default;

    STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP QueryContinueDrag(BOOL escapePressed, DWORD keyState) override;
    STDMETHODIMP GiveFeedback(DWORD effect) override;

  private:
    ~CDropSource() = default;
    LONG m_references = 1;
};

// Builds the data object offering CF_HDROP and "Shell IDList Array" for `paths` (rendered by
// `provider`, or from the paths themselves when it is null) and runs the drag, allowing copy and
// link. Returns the drop effect, DROPEFFECT_NONE when the drag was cancelled or failed. While the
// modal seam records (tests), the drag is logged there instead of run.
DWORD DragFilesOut(HWND owner, DragDataProvider* provider, const PathList& paths);

}  // namespace qv::shell
