// The object base, the class factory and the module count: interface table, identity, aggregation.
#include <gtest/gtest.h>

#include <objidl.h>
#include <ocidl.h>
#include <oleidl.h>

#include "framework/com/class_factory.h"
#include "framework/com/com_object.h"

namespace glyphpeek::com {
namespace {

int g_widgetsAlive = 0;

// IPersist is reached only through IPersistStream.
class CWidget final : public ComObject<CWidget, IPersistStream, IOleWindow> {
public:
    CWidget() { ++g_widgetsAlive; }
    ~CWidget() override { --g_widgetsAlive; }

    static std::span<const InterfaceEntry<CWidget>> Interfaces() noexcept {
        static constexpr InterfaceEntry<CWidget> kTable[] = {
            Implements<CWidget, IPersistStream>(IID_IPersistStream),
            Implements<CWidget, IPersist, IPersistStream>(IID_IPersist),
            Implements<CWidget, IOleWindow>(IID_IOleWindow),
        };
        return kTable;
    }

    IFACEMETHODIMP GetClassID(CLSID* clsid) override {
        *clsid = IID_IPersistStream;  // any recognisable value
        return S_OK;
    }
    IFACEMETHODIMP IsDirty() override { return S_FALSE; }
    IFACEMETHODIMP Load(IStream*) override { return E_NOTIMPL; }
    IFACEMETHODIMP Save(IStream*, BOOL) override { return E_NOTIMPL; }
    IFACEMETHODIMP GetSizeMax(ULARGE_INTEGER*) override { return E_NOTIMPL; }
    IFACEMETHODIMP GetWindow(HWND* window) override {
        *window = reinterpret_cast<HWND>(this);
        return S_OK;
    }
    IFACEMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
};

HRESULT CreateWidget(IUnknown* outer, REFIID riid, void** ppv) noexcept {
    return CreateComObject<CWidget>(outer, riid, ppv);
}

// A hand-written outer object: answers IUnknown and IServiceProvider itself and hands every other
// request to the object it aggregates.
class Outer final : public IServiceProvider {
public:
    IUnknown* inner = nullptr;
    ULONG refs = 1;

    IFACEMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IServiceProvider)) {
            *ppv = static_cast<IServiceProvider*>(this);
            AddRef();
            return S_OK;
        }
        return inner ? inner->QueryInterface(riid, ppv) : E_NOINTERFACE;
    }
    IFACEMETHODIMP_(ULONG) AddRef() override { return ++refs; }
    IFACEMETHODIMP_(ULONG) Release() override { return --refs; }
    IFACEMETHODIMP QueryService(REFGUID, REFIID, void**) override { return E_NOTIMPL; }
};

const CLSID kWidgetClsid = {0x929733fe, 0x30c8, 0x44cf, {0x89, 0x76, 0xe9, 0x64, 0x7a, 0x55, 0x0d, 0xe6}};
constexpr ClassEntry kClasses[] = {{&kWidgetClsid, CreateWidget}};

TEST(ComObject, AnswersItsTableWithOneIdentity) {
    ASSERT_EQ(ModuleCanUnloadNow(), S_OK);
    IPersistStream* stream = nullptr;
    ASSERT_EQ(CreateWidget(nullptr, IID_IPersistStream, reinterpret_cast<void**>(&stream)), S_OK);
    EXPECT_EQ(g_widgetsAlive, 1);
    EXPECT_EQ(ModuleLockCount(), 1);
    EXPECT_EQ(ModuleCanUnloadNow(), S_FALSE);

    IPersist* persist = nullptr;
    IOleWindow* window = nullptr;
    IUnknown* unknown1 = nullptr;
    IUnknown* unknown2 = nullptr;
    ASSERT_EQ(stream->QueryInterface(IID_IPersist, reinterpret_cast<void**>(&persist)), S_OK);
    ASSERT_EQ(persist->QueryInterface(IID_IOleWindow, reinterpret_cast<void**>(&window)), S_OK);
    CLSID id{};
    EXPECT_EQ(persist->GetClassID(&id), S_OK);
    EXPECT_TRUE(IsEqualGUID(id, IID_IPersistStream));
    HWND hwnd = nullptr;
    EXPECT_EQ(window->GetWindow(&hwnd), S_OK);
    ASSERT_EQ(stream->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&unknown1)), S_OK);
    ASSERT_EQ(window->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&unknown2)), S_OK);
    EXPECT_EQ(unknown1, unknown2);

    void* none = reinterpret_cast<void*>(1);
    EXPECT_EQ(window->QueryInterface(IID_IServiceProvider, &none), E_NOINTERFACE);
    EXPECT_EQ(none, nullptr);
    EXPECT_EQ(window->QueryInterface(IID_IPersist, nullptr), E_POINTER);

    // One count for the object however many interfaces are held.
    EXPECT_EQ(stream->AddRef(), 6u);
    EXPECT_EQ(stream->Release(), 5u);
    unknown2->Release();
    unknown1->Release();
    window->Release();
    persist->Release();
    EXPECT_EQ(g_widgetsAlive, 1);
    EXPECT_EQ(stream->Release(), 0u);
    EXPECT_EQ(g_widgetsAlive, 0);
    EXPECT_EQ(ModuleCanUnloadNow(), S_OK);

    // A failed creation leaves nothing behind.
    none = reinterpret_cast<void*>(1);
    EXPECT_EQ(CreateWidget(nullptr, IID_IServiceProvider, &none), E_NOINTERFACE);
    EXPECT_EQ(none, nullptr);
    EXPECT_EQ(g_widgetsAlive, 0);
    EXPECT_EQ(CreateWidget(nullptr, IID_IUnknown, nullptr), E_POINTER);
    EXPECT_EQ(ModuleLockCount(), 0);
}

TEST(ComObject, AggregatesUnderAnOuterObject) {
    Outer outer;
    void* refused = reinterpret_cast<void*>(1);
    EXPECT_EQ(CreateWidget(&outer, IID_IPersistStream, &refused), CLASS_E_NOAGGREGATION);
    EXPECT_EQ(refused, nullptr);
    EXPECT_EQ(g_widgetsAlive, 0);

    ASSERT_EQ(CreateWidget(&outer, IID_IUnknown, reinterpret_cast<void**>(&outer.inner)), S_OK);
    EXPECT_EQ(outer.refs, 1u);  // the inner object holds no reference on its outer

    // Through the outer: the inner interfaces, counted on the outer object.
    IOleWindow* window = nullptr;
    ASSERT_EQ(outer.QueryInterface(IID_IOleWindow, reinterpret_cast<void**>(&window)), S_OK);
    EXPECT_EQ(outer.refs, 2u);
    window->AddRef();
    EXPECT_EQ(outer.refs, 3u);
    window->Release();

    // From an inner interface: the outer's identity and the outer's own interfaces.
    IUnknown* identity = nullptr;
    ASSERT_EQ(window->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity)), S_OK);
    EXPECT_EQ(identity, static_cast<IUnknown*>(&outer));
    identity->Release();
    IServiceProvider* provider = nullptr;
    ASSERT_EQ(window->QueryInterface(IID_IServiceProvider, reinterpret_cast<void**>(&provider)), S_OK);
    EXPECT_EQ(provider, &outer);
    provider->Release();
    window->Release();
    EXPECT_EQ(outer.refs, 1u);

    // The inner unknown is the inner object's own and ends its life.
    IUnknown* inner = nullptr;
    ASSERT_EQ(outer.inner->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&inner)), S_OK);
    EXPECT_EQ(inner, outer.inner);
    inner->Release();
    EXPECT_EQ(ModuleLockCount(), 1);
    EXPECT_EQ(outer.inner->Release(), 0u);
    EXPECT_EQ(g_widgetsAlive, 0);
    EXPECT_EQ(ModuleCanUnloadNow(), S_OK);
}

TEST(ClassFactory, CreatesFromTheTableAndHoldsTheModule) {
    void* none = reinterpret_cast<void*>(1);
    EXPECT_EQ(GetClassObject(kClasses, IID_IPersist, IID_IClassFactory, &none), CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(none, nullptr);
    EXPECT_EQ(GetClassObject(kClasses, kWidgetClsid, IID_IClassFactory, nullptr), E_POINTER);
    EXPECT_EQ(GetClassObject(kClasses, kWidgetClsid, IID_IPersist, &none), E_NOINTERFACE);
    EXPECT_EQ(ModuleLockCount(), 0);

    IClassFactory* factory = nullptr;
    ASSERT_EQ(GetClassObject(kClasses, kWidgetClsid, IID_IClassFactory, reinterpret_cast<void**>(&factory)), S_OK);
    EXPECT_EQ(ModuleCanUnloadNow(), S_FALSE);  // a factory in a client's hands keeps the code loaded

    IOleWindow* window = nullptr;
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IOleWindow, reinterpret_cast<void**>(&window)), S_OK);
    EXPECT_EQ(ModuleLockCount(), 2);
    Outer outer;
    none = reinterpret_cast<void*>(1);
    EXPECT_EQ(factory->CreateInstance(&outer, IID_IOleWindow, &none), CLASS_E_NOAGGREGATION);
    EXPECT_EQ(none, nullptr);
    ASSERT_EQ(factory->CreateInstance(&outer, IID_IUnknown, reinterpret_cast<void**>(&outer.inner)), S_OK);
    EXPECT_EQ(g_widgetsAlive, 2);
    outer.inner->Release();
    window->Release();

    EXPECT_EQ(factory->LockServer(TRUE), S_OK);
    factory->Release();
    EXPECT_EQ(ModuleCanUnloadNow(), S_FALSE);  // locked, though nothing is alive
    EXPECT_EQ(g_widgetsAlive, 0);
    IUnknown* unknown = nullptr;
    ASSERT_EQ(GetClassObject(kClasses, kWidgetClsid, IID_IUnknown, reinterpret_cast<void**>(&unknown)), S_OK);
    ASSERT_EQ(unknown->QueryInterface(IID_IClassFactory, reinterpret_cast<void**>(&factory)), S_OK);
    unknown->Release();
    EXPECT_EQ(factory->LockServer(FALSE), S_OK);
    factory->Release();
    EXPECT_EQ(ModuleCanUnloadNow(), S_OK);
}

} // namespace
} // namespace glyphpeek::com
