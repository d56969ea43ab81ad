// Events: method pointers that a component calls only when they are set. An event remembers the
// name of the method it was bound to, so that form data can store it and bind it again.
//
//   TNotifyEvent OnClick;           // TEvent<TObject* /*Sender*/>
//   OnClick(this);                  // does nothing while unassigned
//   OnClick = TNotifyEvent::Of(form, &TForm1::Image2Click, "Image2Click");
#pragma once

#include <any>
#include <functional>
#include <string>
#include <utility>

class TObject;

// A method that a class publishes for binding by name: the callable takes the object the method
// belongs to, then the event's arguments. Invoker holds std::function<void(TObject&, Args...)>.
struct TMethodInfo {
  std::string Name;
  std::any Invoker;
};

template <class... Args>
class TEvent {
 public:
  using THandler = std::function<void(Args...)>;

  TEvent() = default;
  // A handler with no object behind it; MethodName may stay empty (then it is not streamed).
  explicit TEvent(THandler Handler, std::string MethodName = {}, TObject* Data = nullptr)
      : handler_(std::move(Handler)), methodName_(std::move(MethodName)), data_(Data) {}

  // Binds a member function of Object.
  template <class C>
  static TEvent Of(C* Object, void (C::*Method)(Args...), std::string MethodName = {}) {
    return TEvent([Object, Method](Args... A) { (Object->*Method)(A...); }, std::move(MethodName),
                  Object);
  }

  // Binds the method a class published under a name, on Object (which must be of that class).
  // Returns an unassigned event when the method's parameters differ from this event's.
  static TEvent FromMethod(TObject& Object, const TMethodInfo& Method) {
    using TInvoker = std::function<void(TObject&, Args...)>;
    const auto* invoker = std::any_cast<TInvoker>(&Method.Invoker);
    if (invoker == nullptr) return TEvent();
    TObject* object = &Object;
    TInvoker call = *invoker;
    return TEvent([object, call](Args... A) { call(*object, A...); }, Method.Name, object);
  }

  bool Assigned() const { return static_cast<bool>(handler_); }
  // Calls the handler when one is set; an unassigned event does nothing.
  void operator()(Args... A) const {
    if (handler_) handler_(A...);
  }
  const std::string& MethodName() const { return methodName_; }
  TObject* Data() const { return data_; }

 private:
  THandler handler_;
  std::string methodName_;
  TObject* data_ = nullptr;
};

// The common event: the sender only.
using TNotifyEvent = TEvent<TObject*>;
