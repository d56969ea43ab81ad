// The typed helper through which a class publishes its properties, methods and fields, once,
// in declaration order. A class declares
//
//   static void Publish(TPublisher<TFoo>& P);
//
// and defines it next to the class:
//
//   void TFoo::Publish(TPublisher<TFoo>& P) {
//     P.Integer("Width", &TFoo::Width, &TFoo::SetWidth, 0);
//     P.Integer("Color", &TFoo::Color, &TFoo::SetColor, clWindow, "TColor");
//     P.Enum("Align", TAlignInfo(), &TFoo::Align, &TFoo::SetAlign, alNone);
//     P.Object("Font", &TFoo::Font);
//     P.Event("OnClick", &TFoo::OnClick, &TFoo::SetOnClick);
//     P.Integer("Count", &TFoo::Count, nullptr);  // display only: reads ignored, never stored
//   }
//
// Getters are member functions (or callables) taking the object; setters are member functions,
// callables taking (object, value), or nullptr. Modifiers (.NotStored(), .StoredWhen(...)) apply
// to the property published last. A root (form) class publishes its handler methods with Method
// and its component fields with Field.
#pragma once

#include <concepts>
#include <functional>
#include <string>
#include <type_traits>
#include <utility>

#include "toolkit/core/TClassInfo.h"
#include "toolkit/core/TEnumInfo.h"
#include "toolkit/core/TPublisherBase.h"
#include "toolkit/core/ToolkitErrors.h"

template <class C>
class TPublisher : private TPublisherBase {
 public:
  explicit TPublisher(TClassInfo& Info) : TPublisherBase(Info) {}

  template <class G, class S>
  TPublisher& Integer(const char* Name, G Get, S Set, int64_t Default = 0,
                      const char* IntegerType = "") {
    TPropInfo& p = AddOrdinal(Name, TPropKind::Integer, Get, Set, Default);
    p.IntegerType = IntegerType;
    return *this;
  }
  template <class G, class S>
  TPublisher& Boolean(const char* Name, G Get, S Set, bool Default = false) {
    AddOrdinal(Name, TPropKind::Boolean, Get, Set, Default ? 1 : 0);
    return *this;
  }
  template <class G, class S, class D = int64_t>
  TPublisher& Enum(const char* Name, const TEnumInfo& Type, G Get, S Set, D Default = {}) {
    AddOrdinal(Name, TPropKind::Enumeration, Get, Set, static_cast<int64_t>(Default)).Enum = &Type;
    return *this;
  }
  template <class G, class S>
  TPublisher& Set(const char* Name, const TEnumInfo& ElementType, G Get, S Set,
                  TSetValue Default = 0) {
    if (!ElementType.FitsSet())
      throw EToolkitError("Set element type too large: " + ElementType.Name());
    AddOrdinal(Name, TPropKind::Set, Get, Set, Default).Enum = &ElementType;
    return *this;
  }
  template <class G, class S>
  TPublisher& String(const char* Name, G Get, S Set, std::string Default = {}) {
    TPropInfo& p = Add(Name, TPropKind::String, std::is_null_pointer_v<S>);
    p.StrDefault = std::move(Default);
    p.GetStr = [Get](const TObject& O) { return std::string(std::invoke(Get, Self(O))); };
    if constexpr (!std::is_null_pointer_v<S>) {
      p.SetStr = [Set](TObject& O, const std::string& V) { std::invoke(Set, Self(O), V); };
    }
    return *this;
  }
  // An owned sub-object: a TPersistent descendant is reached by dotted names ("Font.Height");
  // an object of any other class (a list, say) has no properties to stream, so it is published
  // for the class information only and never stored.
  template <class G>
  TPublisher& Object(const char* Name, G Get) {
    using T = std::remove_pointer_t<std::invoke_result_t<G, const C&>>;
    static_assert(std::is_base_of_v<TObject, T>, "Object publishes a pointer to a TObject");
    TPropInfo& p = Add(Name, TPropKind::Object, false);
    p.ObjectClass = &T::StaticClassInfo();
    p.GetObjectValue = [Get](TObject& O) -> TObject* {
      return std::invoke(Get, static_cast<const C&>(Self(O)));
    };
    if constexpr (std::is_base_of_v<TPersistent, T>) {
      p.GetSubObject = [Get](TObject& O) -> TPersistent* {
        return std::invoke(Get, static_cast<const C&>(Self(O)));
      };
    } else {
      p.NeverStored = true;
      p.GetSubObject = [](TObject&) -> TPersistent* { return nullptr; };
    }
    return *this;
  }
  // An event: Get returns the event (a TEvent<...>), Set takes one.
  template <class G, class S>
  TPublisher& Event(const char* Name, G Get, S Set) {
    using E = std::remove_cvref_t<std::invoke_result_t<G, const C&>>;
    TPropInfo& p = Add(Name, TPropKind::Event, false);
    p.GetMethodName = [Get](const TObject& O) { return std::invoke(Get, Self(O)).MethodName(); };
    p.BindMethod = [Set](TObject& O, TObject& Root, const TMethodInfo& M) {
      E bound = E::FromMethod(Root, M);
      if (!bound.Assigned()) return false;
      std::invoke(Set, Self(O), std::move(bound));
      return true;
    };
    return *this;
  }

  // A method the form data may name as an event handler, e.g. Method("Image2Click",
  // &TForm1::Image2Click) for void TForm1::Image2Click(TObject* Sender).
  template <class... A>
  TPublisher& Method(const char* Name, void (C::*Fn)(A...)) {
    std::function<void(TObject&, A...)> call = [Fn](TObject& O, A... Args) {
      (Self(O).*Fn)(Args...);
    };
    info_.AddMethod(TMethodInfo{Name, std::move(call)});
    return *this;
  }
  // A component field that the reader points at the owned component named Name.
  template <class T>
  TPublisher& Field(const char* Name, T* C::*Member) {
    TFieldInfo f;
    f.Name = Name;
    f.Set = [Member](TObject& Root, TComponent* Component) {
      T* typed = Component ? dynamic_cast<T*>(Component) : nullptr;
      if (Component && !typed) return false;
      Self(Root).*Member = typed;
      return true;
    };
    f.Get = [Member](const TObject& Root) -> TComponent* { return Self(Root).*Member; };
    info_.AddField(std::move(f));
    return *this;
  }

  // Modifiers of the property published last.
  TPublisher& NotStored() {
    Last().NeverStored = true;
    return *this;
  }
  template <class P>
  TPublisher& StoredWhen(P Predicate) {
    Last().StoredWhen = [Predicate](const TObject& O) { return std::invoke(Predicate, Self(O)); };
    return *this;
  }

 private:
  static C& Self(TObject& O) { return CheckedCast<C>(&O); }
  static const C& Self(const TObject& O) { return CheckedCast<const C>(&O); }
  template <class T, class O>
  static T& CheckedCast(O* Object) {
    auto* typed = dynamic_cast<T*>(Object);
    if (!typed) RaiseForeignObject();
    return *typed;
  }

  template <class G, class S>
  TPropInfo& AddOrdinal(const char* Name, TPropKind Kind, G Get, S Set, int64_t Default) {
    using V = std::remove_cvref_t<std::invoke_result_t<G, const C&>>;
    TPropInfo& p = Add(Name, Kind, std::is_null_pointer_v<S>);
    p.OrdDefault = Default;
    p.GetOrd = [Get](const TObject& O) { return static_cast<int64_t>(std::invoke(Get, Self(O))); };
    if constexpr (!std::is_null_pointer_v<S>) {
      p.SetOrd = [Set](TObject& O, int64_t Value) {
        std::invoke(Set, Self(O), static_cast<V>(Value));
      };
    }
    return p;
  }
};

// Whether Self declares its own Publish (an inherited one takes a TPublisher of the parent).
template <class Self>
concept HasOwnPublish = requires {
  { &Self::Publish } -> std::same_as<void (*)(TPublisher<Self>&)>;
};

// Builds the class information of Self; used by TOOLKIT_CLASS.
template <class Self>
TClassInfo::TFactory ClassFactoryOf() {
  if constexpr (std::is_base_of_v<TComponent, Self> && std::is_constructible_v<Self, TComponent*> &&
                !std::is_abstract_v<Self>) {
    return [](TComponent* Owner) -> TComponent* { return new Self(Owner); };
  } else {
    return nullptr;
  }
}

template <class Self>
TClassInfo::TPublishFn ClassPublisherOf() {
  if constexpr (HasOwnPublish<Self>) {
    return [](TClassInfo& Info) {
      TPublisher<Self> p(Info);
      Self::Publish(p);
    };
  } else {
    return {};
  }
}
