#include "job/Automation.h"

#include <oaidl.h>
#include <oleauto.h>

#include <memory>

namespace quellrin {
namespace {

// What ITypeComp::Bind hands back: the type information that holds the member
// and a description that must be given back to it.
class BoundMember {
  public:
    BoundMember() = default;
    BoundMember(const BoundMember&) = delete;
    BoundMember& operator=(const BoundMember&) = delete;
    ~BoundMember() { clear(); }

    HRESULT bind(ITypeComp* comp, LPOLESTR name, ULONG hash, WORD invokeKind) {
        clear();
        HRESULT hr = comp->Bind(name, hash, invokeKind, info_.put(), &kind_, &ptr_);
        if (FAILED(hr))
            kind_ = DESCKIND_NONE; // nothing was handed over
        return hr;
    }
    DESCKIND kind() const { return kind_; }
    MEMBERID memberId() const {
        if (kind_ == DESCKIND_FUNCDESC)
            return ptr_.lpfuncdesc->memid;
        if (kind_ == DESCKIND_VARDESC)
            return ptr_.lpvardesc->memid;
        return MEMBERID_NIL;
    }

  private:
    void clear() {
        if (kind_ == DESCKIND_FUNCDESC && info_)
            info_->ReleaseFuncDesc(ptr_.lpfuncdesc);
        else if ((kind_ == DESCKIND_VARDESC || kind_ == DESCKIND_IMPLICITAPPOBJ) && info_)
            info_->ReleaseVarDesc(ptr_.lpvardesc);
        else if (kind_ == DESCKIND_TYPECOMP && ptr_.lptcomp)
            ptr_.lptcomp->Release();
        info_.reset();
        kind_ = DESCKIND_NONE;
        ptr_ = BINDPTR{};
    }

    ComPtr<ITypeInfo> info_;
    DESCKIND kind_ = DESCKIND_NONE;
    BINDPTR ptr_{};
};

// The arguments of one Invoke, in the order IDispatch wants them.
class ArgumentList {
  public:
    explicit ArgumentList(std::size_t count) : count_(count), args_(new VARIANTARG[count]) {
        for (std::size_t i = 0; i < count_; ++i)
            VariantInit(&args_[i]);
    }
    ArgumentList(const ArgumentList&) = delete;
    ArgumentList& operator=(const ArgumentList&) = delete;
    ~ArgumentList() {
        for (std::size_t i = 0; i < count_; ++i)
            VariantClear(&args_[i]);
    }
    VARIANTARG& operator[](std::size_t i) { return args_[i]; }
    VARIANTARG* data() { return count_ ? args_.get() : nullptr; }
    UINT size() const { return static_cast<UINT>(count_); }

  private:
    std::size_t count_;
    std::unique_ptr<VARIANTARG[]> args_;
};

WORD DispatchFlags(WORD invokeKind) {
    switch (invokeKind) {
    case INVOKE_FUNC:
        return DISPATCH_METHOD;
    case INVOKE_PROPERTYGET:
        return DISPATCH_PROPERTYGET;
    case INVOKE_PROPERTYPUT:
        return DISPATCH_PROPERTYPUT;
    default:
        return DISPATCH_PROPERTYPUTREF;
    }
}

} // namespace

UniqueBstr ToBstr(const Text& text) {
    if (text.empty())
        return UniqueBstr();
    int units = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    if (units <= 0)
        return UniqueBstr();
    // The count includes the NUL; the BSTR stores its own.
    UniqueBstr out(SysAllocStringLen(nullptr, static_cast<UINT>(units - 1)));
    if (out.get() && MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, out.get(), units) == 0)
        return UniqueBstr();
    return UniqueBstr(out.release());
}

bool CreateAutomationObject(AutomationObject& target, const Text& classText) {
    UniqueBstr wide = ToBstr(classText);
    CLSID clsid{};
    HRESULT hr = !classText.empty() && classText[0] == '{' ? CLSIDFromString(wide.get(), &clsid)
                                                           : CLSIDFromProgID(wide.get(), &clsid);
    if (FAILED(hr))
        return false;

    ComPtr<IUnknown> created;
    hr = CoCreateInstance(clsid, nullptr, CLSCTX_ALL, IID_IUnknown, created.putVoid());
    // Systems without DCOM reject CLSCTX_REMOTE_SERVER, which CLSCTX_ALL includes.
    if (hr == E_INVALIDARG)
        hr = CoCreateInstance(clsid, nullptr,
                              CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER,
                              IID_IUnknown, created.putVoid());
    if (FAILED(hr) || !created)
        return false;
    if (FAILED(OleRun(created.get())))
        return false;

    target.reset(created.release());
    return true;
}

MemberResult InvokeMember(const AutomationObject& object, const Text& member, CallKind call,
                          std::span<const Text> arguments, ResultKind want) {
    MemberResult result;
    if (object.empty()) {
        result.status = E_POINTER;
        return result;
    }
    ComPtr<IDispatch> dispatch;
    result.status = object.get()->QueryInterface(IID_IDispatch, dispatch.putVoid());
    if (FAILED(result.status) || !dispatch)
        return result;

    const LCID lcid = GetUserDefaultLCID();
    ComPtr<ITypeInfo> typeInfo;
    result.status = dispatch->GetTypeInfo(0, lcid, typeInfo.put());
    if (FAILED(result.status) || !typeInfo)
        return result;
    ComPtr<ITypeComp> typeComp;
    result.status = typeInfo->GetTypeComp(typeComp.put());
    if (FAILED(result.status) || !typeComp)
        return result;

    UniqueBstr name = ToBstr(member);
    if (!name.get()) {
        result.status = DISP_E_UNKNOWNNAME;
        return result;
    }
    const ULONG hash = LHashValOfNameSys(SYS_WIN32, lcid, name.get());

    static const WORD kReadOrder[] = {INVOKE_PROPERTYGET, INVOKE_FUNC};
    static const WORD kMethodOrder[] = {INVOKE_FUNC, INVOKE_PROPERTYGET, INVOKE_PROPERTYPUT,
                                        INVOKE_PROPERTYPUTREF};
    std::span<const WORD> order =
        call == CallKind::PropertyRead ? std::span<const WORD>(kReadOrder) : kMethodOrder;

    BoundMember bound;
    WORD flags = 0;
    for (WORD invokeKind : order) {
        if (FAILED(bound.bind(typeComp.get(), name.get(), hash, invokeKind)))
            continue;
        if (bound.kind() == DESCKIND_FUNCDESC) {
            flags = DispatchFlags(invokeKind);
            break;
        }
        if (bound.kind() == DESCKIND_VARDESC) {
            flags = DISPATCH_PROPERTYGET; // a data member is read like a property
            break;
        }
    }
    if (flags == 0) {
        result.status = DISP_E_MEMBERNOTFOUND;
        return result;
    }
    const DISPID memberId = bound.memberId();

    ArgumentList args(arguments.size());
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        VARIANTARG& arg = args[arguments.size() - 1 - i]; // IDispatch takes them last first
        arg.vt = VT_BSTR;
        arg.bstrVal = ToBstr(arguments[i]).release();
    }
    // Invoke accepts a put only with its value named as the property's new value.
    DISPID putName = DISPID_PROPERTYPUT;
    const bool put = flags == DISPATCH_PROPERTYPUT || flags == DISPATCH_PROPERTYPUTREF;
    DISPPARAMS params{args.data(), put ? &putName : nullptr, args.size(), put ? 1u : 0u};

    UniqueVariant answer;
    result.status =
        dispatch->Invoke(memberId, IID_NULL, lcid, flags, &params, answer.get(), nullptr, nullptr);
    if (FAILED(result.status))
        return result;

    UniqueVariant direct;
    result.status = VariantCopyInd(direct.get(), answer.get());
    if (FAILED(result.status))
        return result;
    UniqueVariant converted;
    result.status = VariantChangeType(converted.get(), direct.get(), 0,
                                      want == ResultKind::Number ? VT_R8 : VT_UNKNOWN);
    if (FAILED(result.status))
        return result;

    if (want == ResultKind::Number) {
        result.number = (*converted).dblVal;
    } else {
        IUnknown* answered = (*converted).punkVal;
        if (!answered) {
            result.status = E_POINTER; // Nothing, as an object
            return result;
        }
        answered->AddRef(); // the slot's own reference; `converted` releases its one
        result.object.reset(answered);
    }
    return result;
}

AutomationObject CallObjectMethod(const AutomationObject& object, const Text& member,
                                  const Text& argument) {
    return InvokeMember(object, member, CallKind::Method, std::span<const Text>(&argument, 1),
                        ResultKind::Object)
        .object;
}

double ReadNumberProperty(const AutomationObject& object, const Text& member) {
    return InvokeMember(object, member, CallKind::PropertyRead, {}, ResultKind::Number).number;
}

void ReleaseAutomationObject(AutomationObject& object) {
    object.reset();
}

} // namespace quellrin
