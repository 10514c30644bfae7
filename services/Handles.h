// Move-only owners for the Windows handles the program takes, so that every
// path releases what it took.
#pragma once

#include <windows.h>
#include <objbase.h>
#include <oleauto.h>

#include <utility>

namespace quellrin {

// One owner type per kind of handle; Traits names the "none" value and the close.
template <typename Traits> class UniqueHandle {
  public:
    using Type = typename Traits::Type;

    UniqueHandle() = default;
    explicit UniqueHandle(Type h) : handle_(h) {}
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other)
            reset(other.release());
        return *this;
    }
    ~UniqueHandle() { reset(); }

    Type get() const { return handle_; }
    explicit operator bool() const { return handle_ != Traits::none(); }
    Type release() { return std::exchange(handle_, Traits::none()); }

    // Closing keeps the caller's GetLastError, so a failure can be read after cleanup.
    void reset(Type h = Traits::none()) {
        if (handle_ != Traits::none()) {
            DWORD err = GetLastError();
            Traits::close(handle_);
            SetLastError(err);
        }
        handle_ = h;
    }
    Type* put() {
        reset();
        return &handle_;
    }

  private:
    Type handle_ = Traits::none();
};

struct FindHandleTraits {
    using Type = HANDLE;
    static Type none() { return nullptr; } // INVALID_HANDLE_VALUE is never stored
    static void close(Type h) { FindClose(h); }
};
struct KernelHandleTraits {
    using Type = HANDLE;
    static Type none() { return nullptr; }
    static void close(Type h) { CloseHandle(h); }
};
struct FileHandleTraits {
    using Type = HANDLE;
    static Type none() { return INVALID_HANDLE_VALUE; }
    static void close(Type h) { CloseHandle(h); }
};
struct RegKeyTraits {
    using Type = HKEY;
    static Type none() { return nullptr; }
    static void close(Type h) { RegCloseKey(h); }
};
struct GdiObjectTraits {
    using Type = HGDIOBJ;
    static Type none() { return nullptr; }
    static void close(Type h) { DeleteObject(h); }
};
struct IconTraits {
    using Type = HICON;
    static Type none() { return nullptr; }
    static void close(Type h) { DestroyIcon(h); }
};

using UniqueFind = UniqueHandle<FindHandleTraits>;
using UniqueKernelHandle = UniqueHandle<KernelHandleTraits>;
using UniqueFile = UniqueHandle<FileHandleTraits>;
using UniqueKey = UniqueHandle<RegKeyTraits>;
using UniqueGdiObject = UniqueHandle<GdiObjectTraits>;
using UniqueIcon = UniqueHandle<IconTraits>;

// An owned COM interface pointer: one reference, released once.
template <typename T> class ComPtr {
  public:
    ComPtr() = default;
    explicit ComPtr(T* p) : p_(p) {} // takes over the caller's reference
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ComPtr(ComPtr&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
    ComPtr& operator=(ComPtr&& o) noexcept {
        if (this != &o)
            reset(std::exchange(o.p_, nullptr));
        return *this;
    }
    ~ComPtr() { reset(); }

    T* get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    void reset(T* p = nullptr) {
        if (p_)
            p_->Release();
        p_ = p;
    }
    T* release() { return std::exchange(p_, nullptr); }
    T** put() {
        reset();
        return &p_;
    }
    void** putVoid() { return reinterpret_cast<void**>(put()); }

    // A new owner of the same object, with a reference of its own.
    template <typename U> ComPtr<U> query(REFIID iid) const {
        ComPtr<U> out;
        if (p_)
            p_->QueryInterface(iid, out.putVoid());
        return out;
    }

  private:
    T* p_ = nullptr;
};

// A BSTR that is freed on every path.
class UniqueBstr {
  public:
    UniqueBstr() = default;
    explicit UniqueBstr(BSTR b) : b_(b) {}
    UniqueBstr(const UniqueBstr&) = delete;
    UniqueBstr& operator=(const UniqueBstr&) = delete;
    ~UniqueBstr() { SysFreeString(b_); }
    BSTR get() const { return b_; }
    BSTR release() { return std::exchange(b_, nullptr); }

  private:
    BSTR b_ = nullptr;
};

// A VARIANT that is cleared on every path.
class UniqueVariant {
  public:
    UniqueVariant() { VariantInit(&v_); }
    UniqueVariant(const UniqueVariant&) = delete;
    UniqueVariant& operator=(const UniqueVariant&) = delete;
    ~UniqueVariant() { VariantClear(&v_); }
    VARIANT* get() { return &v_; }
    const VARIANT& operator*() const { return v_; }
    VARIANT* reset() {
        VariantClear(&v_);
        return &v_;
    }

  private:
    VARIANT v_;
};

} // namespace quellrin
