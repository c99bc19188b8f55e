#include "ui/speech.h"

#include <windows.h>
#include <objbase.h>
#include <oleauto.h>

#include "platform/platform.h"

namespace vemtrix::ui {
namespace {

// Calls a method of a late-bound object by name with one argument; failures
// are ignored (the prompt is a courtesy, not a result).
void CallByName(IDispatch* object, const wchar_t* name, VARIANT& argument) {
  DISPID id = 0;
  LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
  if (FAILED(object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id))) return;
  DISPPARAMS parameters = {&argument, nullptr, 1, 0};
  VARIANT result;
  VariantInit(&result);
  object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &parameters, &result, nullptr, nullptr);
  VariantClear(&result);
}

std::wstring Widen(const std::string& text) {
  if (text.empty()) return std::wstring();
  int size = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(size), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), size);
  return wide;
}

}  // namespace

SpeechOutcome SpeakThread(const std::string& text) {
  HRESULT initialised = CoInitialize(nullptr);
  IDispatch* voice = nullptr;
  CLSID classId;
  if (SUCCEEDED(CLSIDFromProgID(L"SAPI.SpVoice", &classId))) {
    CoCreateInstance(classId, nullptr, CLSCTX_ALL, IID_IDispatch, reinterpret_cast<void**>(&voice));
  }
  if (voice == nullptr) {
    Beep(500, 300);
    Beep(1000, 300);
    if (SUCCEEDED(initialised)) CoUninitialize();
    return SpeechOutcome::Beeped;
  }

  VARIANT sentence;
  VariantInit(&sentence);
  sentence.vt = VT_BSTR;
  std::wstring wide = Widen(text);
  sentence.bstrVal = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
  CallByName(voice, L"SPEAK", sentence);
  VariantClear(&sentence);

  VARIANT noLimit;
  VariantInit(&noLimit);
  noLimit.vt = VT_I4;
  noLimit.lVal = -1;
  CallByName(voice, L"WAITUNTILDONE", noLimit);

  voice->Release();
  if (SUCCEEDED(initialised)) CoUninitialize();
  return SpeechOutcome::Spoke;
}

void Speak(const std::string& text) {
  if (text.empty()) return;
  // The thread gets its own copy; the pause keeps the caller-visible timing
  // of a short hand-over.
  if (platform::StartDetachedThread([copy = text] { SpeakThread(copy); })) {
    platform::SleepMs(150);
  }
}

}  // namespace vemtrix::ui
