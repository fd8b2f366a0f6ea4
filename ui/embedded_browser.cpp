#include "ui/embedded_browser.h"

#include <ole2.h>
#include <docobj.h>
#include <exdisp.h>

#include <string>

#include "runtime/wide_text.h"

namespace ui {

// The container's side of in-place activation: one object that is the browser's client site,
// in-place site and frame. It offers no menus, toolbars or borders, and places the browser
// over the host window's client area.
class BrowserSite final : public IOleClientSite, public IOleInPlaceSite, public IOleInPlaceFrame {
 public:
  explicit BrowserSite(HWND host) : host_(host) {}

  // IUnknown
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (iid == IID_IUnknown || iid == IID_IOleClientSite) {
      *out = static_cast<IOleClientSite*>(this);
    } else if (iid == IID_IOleWindow || iid == IID_IOleInPlaceSite) {
      *out = static_cast<IOleInPlaceSite*>(this);
    } else if (iid == IID_IOleInPlaceUIWindow || iid == IID_IOleInPlaceFrame) {
      *out = static_cast<IOleInPlaceFrame*>(this);
    } else {
      *out = nullptr;
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++references_; }
  STDMETHODIMP_(ULONG) Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

  // IOleClientSite
  STDMETHODIMP SaveObject() override { return E_NOTIMPL; }
  STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
  STDMETHODIMP GetContainer(IOleContainer** container) override {
    *container = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP ShowObject() override { return S_OK; }
  STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
  STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }

  // IOleWindow (for both the site and the frame)
  STDMETHODIMP GetWindow(HWND* window) override {
    *window = host_;
    return S_OK;
  }
  STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

  // IOleInPlaceSite
  STDMETHODIMP CanInPlaceActivate() override { return S_OK; }
  STDMETHODIMP OnInPlaceActivate() override { return S_OK; }
  STDMETHODIMP OnUIActivate() override { return S_OK; }
  STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document, LPRECT position,
                                LPRECT clip, LPOLEINPLACEFRAMEINFO frameInfo) override {
    *frame = static_cast<IOleInPlaceFrame*>(this);
    AddRef();
    *document = nullptr;
    GetClientRect(host_, position);
    GetClientRect(host_, clip);
    frameInfo->fMDIApp = FALSE;
    frameInfo->hwndFrame = GetAncestor(host_, GA_ROOT);
    frameInfo->haccel = nullptr;
    frameInfo->cAccelEntries = 0;
    return S_OK;
  }
  STDMETHODIMP Scroll(SIZE) override { return E_NOTIMPL; }
  STDMETHODIMP OnUIDeactivate(BOOL) override { return S_OK; }
  STDMETHODIMP OnInPlaceDeactivate() override { return S_OK; }
  STDMETHODIMP DiscardUndoState() override { return E_NOTIMPL; }
  STDMETHODIMP DeactivateAndUndo() override { return E_NOTIMPL; }
  STDMETHODIMP OnPosRectChange(LPCRECT) override { return S_OK; }

  // IOleInPlaceUIWindow
  STDMETHODIMP GetBorder(LPRECT) override { return E_NOTIMPL; }
  STDMETHODIMP RequestBorderSpace(LPCBORDERWIDTHS) override { return E_NOTIMPL; }
  STDMETHODIMP SetBorderSpace(LPCBORDERWIDTHS) override { return E_NOTIMPL; }
  STDMETHODIMP SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) override { return S_OK; }

  // IOleInPlaceFrame
  STDMETHODIMP InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return E_NOTIMPL; }
  STDMETHODIMP SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
  STDMETHODIMP RemoveMenus(HMENU) override { return E_NOTIMPL; }
  STDMETHODIMP SetStatusText(LPCOLESTR) override { return S_OK; }
  STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }
  STDMETHODIMP TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }

 private:
  ~BrowserSite() = default;

  HWND host_;
  ULONG references_ = 1;
};

namespace {

void Navigate(IWebBrowser2* browser, const char* address) {
  BSTR url = SysAllocString(rt::SystemWidened(address).c_str());
  VARIANT empty;
  VariantInit(&empty);
  browser->Navigate(url, &empty, &empty, &empty, &empty);
  SysFreeString(url);
}

}  // namespace

std::unique_ptr<EmbeddedBrowser> EmbeddedBrowser::Create(HWND host, const char* address) {
  std::unique_ptr<EmbeddedBrowser> browser(new EmbeddedBrowser());
  if (FAILED(CoCreateInstance(CLSID_WebBrowser, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject,
                              reinterpret_cast<void**>(&browser->object_))))
    return nullptr;
  browser->site_ = new BrowserSite(host);
  browser->object_->SetClientSite(browser->site_);
  OleSetContainedObject(browser->object_, TRUE);
  RECT area;
  GetClientRect(host, &area);
  browser->object_->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, browser->site_, 0, host, &area);
  if (FAILED(browser->object_->QueryInterface(IID_IWebBrowser2, reinterpret_cast<void**>(&browser->browser_))))
    return nullptr;

  IWebBrowser2* web = browser->browser_;
  web->put_Offline(VARIANT_FALSE);
  web->put_Silent(VARIANT_TRUE);
  // The middle of the five text sizes; a browser that refuses (no page yet, no support) keeps its own.
  VARIANT zoom;
  VariantInit(&zoom);
  zoom.vt = VT_I4;
  zoom.lVal = 2;
  web->ExecWB(OLECMDID_ZOOM, OLECMDEXECOPT_DONTPROMPTUSER, &zoom, nullptr);
  if (address != nullptr && address[0] != '\0') Navigate(web, address);
  return browser;
}

EmbeddedBrowser::~EmbeddedBrowser() {
  if (browser_ != nullptr) browser_->Release();
  if (object_ != nullptr) {
    object_->Close(OLECLOSE_NOSAVE);
    object_->SetClientSite(nullptr);
    object_->Release();
  }
  if (site_ != nullptr) site_->Release();
}

void EmbeddedBrowser::Resize(int width, int height) {
  IOleInPlaceObject* inPlace = nullptr;
  if (object_ == nullptr || FAILED(object_->QueryInterface(IID_IOleInPlaceObject, reinterpret_cast<void**>(&inPlace))))
    return;
  const RECT area{0, 0, width, height};
  inPlace->SetObjectRects(&area, &area);
  inPlace->Release();
}

bool EmbeddedBrowser::TranslateAccelerator(MSG& message) {
  IOleInPlaceActiveObject* active = nullptr;
  if (browser_ == nullptr ||
      FAILED(browser_->QueryInterface(IID_IOleInPlaceActiveObject, reinterpret_cast<void**>(&active))))
    return false;
  const bool used = active->TranslateAccelerator(&message) == S_OK;
  active->Release();
  return used;
}

}  // namespace ui
