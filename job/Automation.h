// COM automation by name, as the folder size needs it: an object created from
// a ProgID, its members found through the object's own type information.
// Window thread only; COM must already be initialised there.
#pragma once

#include <windows.h>
#include <unknwn.h>

#include <span>

#include "services/Handles.h"
#include "services/Text.h"

namespace quellrin {

// A slot that holds at most one interface pointer and owns one reference to it.
// Created empty; moving leaves the source empty; copying is not possible, so a
// reference is released exactly once.
class AutomationObject {
  public:
    AutomationObject() = default;
    explicit AutomationObject(IUnknown* taken) : object_(taken) {} // takes the caller's reference
    AutomationObject(AutomationObject&&) noexcept = default;
    AutomationObject& operator=(AutomationObject&&) noexcept = default;

    bool empty() const { return !object_; }
    IUnknown* get() const { return object_.get(); }
    // Releases the held reference, then holds `taken` (with its reference).
    void reset(IUnknown* taken = nullptr) { object_.reset(taken); }

  private:
    ComPtr<IUnknown> object_;
};

// Creates the object named by a ProgID, or by a class id written in braces,
// and puts it into `target`, releasing what it held. On failure `target` is
// unchanged.
bool CreateAutomationObject(AutomationObject& target, const Text& classText);

enum class CallKind { Method, PropertyRead };
enum class ResultKind { Object, Number };

struct MemberResult {
    HRESULT status = E_FAIL; // the first failing step, S_OK on success
    double number = 0.0;     // a number result; 0.0 on failure
    AutomationObject object; // an object result; empty on failure
    bool ok() const { return SUCCEEDED(status); }
};

// Calls a member by name with text arguments (the empty text goes as a null
// BSTR, which automation reads as the empty string). Nothing is kept: every
// VARIANT and interface taken on the way is released before returning.
MemberResult InvokeMember(const AutomationObject& object, const Text& member, CallKind call,
                          std::span<const Text> arguments, ResultKind want);

// A method with one text argument and an object result; an empty slot on failure.
AutomationObject CallObjectMethod(const AutomationObject& object, const Text& member,
                                  const Text& argument);

// A property read as a double; 0.0 on failure.
double ReadNumberProperty(const AutomationObject& object, const Text& member);

// Releases the held reference; the slot is empty afterwards.
void ReleaseAutomationObject(AutomationObject& object);

// The UTF-16 form of an ANSI text; a null BSTR for the empty text.
UniqueBstr ToBstr(const Text& text);

} // namespace quellrin
