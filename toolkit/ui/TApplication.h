// The application object: its own hidden-style top-level window (which owns the forms and
// carries the taskbar button and the title), the forms it creates, the message loop and the
// error box for exceptions that escape an event handler.
//
// A program runs:
//   Application->Initialize();             // COM, when the COM support module is started
//   Application->SetTitle("Installation");
//   Application->CreateForm(Form1);        // from the RCDATA resource "TFORM1"
//   Application->Run();                    // until the main form closes
//   DoneApplication();                     // destroys the forms, before the modules shut down
// (FinishProgram in UIModules.h does the last step and the module shut-down), and names with
// SetEndSessionProc how it finishes when Windows ends the session while the loop runs.
#pragma once

#include <cstdint>
#include <exception>
#include <functional>
#include <string>

#include "platform/platform.h"
#include "toolkit/core/FormLayout.h"
#include "toolkit/core/TComponent.h"
#include "toolkit/ui/TForm.h"

class TApplication : public TComponent {
  TOOLKIT_CLASS(TApplication, TComponent)

 public:
  // Creates the application window (not yet visible).
  explicit TApplication(TComponent* Owner);
  ~TApplication() override;

  // Runs the initialisation hook (the COM support module sets one), once.
  void Initialize();
  using TInitProc = void (*)();
  static void SetInitProc(TInitProc Proc) { initProc_ = Proc; }

  // What the program does when Windows ends the session (log-off, shut-down) while it runs: the
  // application window receives WM_ENDSESSION with wParam TRUE and calls the procedure, which
  // must finish the program before it returns (the process may be ended right after) and may
  // destroy the application object itself. Without one, the message changes nothing; so does a
  // session end that was cancelled (wParam FALSE).
  using TEndSessionProc = void (*)();
  static void SetEndSessionProc(TEndSessionProc Proc) { endSessionProc_ = Proc; }

  // The caption of the application window (the taskbar button) and of error boxes.
  const std::string& Title() const { return title_; }
  void SetTitle(const std::string& Value);
  HWND Handle() const { return handle_; }

  // Creates a form of class T owned by the application from its form data resource and points
  // Reference at it (already while it loads). The first form becomes the main form. If loading
  // fails, the form is destroyed, Reference is null again and the error passes on.
  template <class T>
  void CreateForm(T*& Reference) {
    T* form = new T(this);
    Reference = form;
    try {
      InitForm(*form);
    } catch (...) {
      Reference = nullptr;
      FormFailed(*form);
      throw;
    }
  }
  TForm* MainForm() const { return mainForm_; }

  // Shows the main form as the launcher asked (maximised, minimised), then handles messages
  // until the main form closes.
  void Run();
  // Handles one message, waiting for it; false once WM_QUIT arrived.
  bool HandleMessage();
  // Handles the waiting messages and returns.
  void ProcessMessages();
  // Ends the message loop (posts WM_QUIT).
  void Terminate();
  bool Terminated() const { return terminated_; }

  void Minimize();
  void Restore();

  // Marks the application as destroying and destroys its forms, once (DoneApplication).
  void Done();

  // Shows the exception in flight in the error box (EAbort silently). For catch blocks.
  void HandleException(TObject* Sender);
  // Shows E's message in an error box: MB_ICONERROR, captioned with the title, owned by the
  // active form (or the application window).
  void ShowException(const std::exception& E);

  // The error box; MessageBoxA unless a test replaces it (null restores it).
  using TMessageBoxFn = std::function<int(HWND Owner, const std::string& Text,
                                          const std::string& Caption, UINT Type)>;
  void SetMessageBoxFn(TMessageBoxFn Fn) { messageBox_ = std::move(Fn); }

  // The modifier keys held now.
  static TShiftState KeyboardShiftState();

  void Notification(TComponent* Component, TOperation Operation) override;

 private:
  static LRESULT CALLBACK StaticWndProc(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam);
  LRESULT WndProc(UINT Message, WPARAM WParam, LPARAM LParam);
  void InitForm(TForm& Form);
  void FormFailed(TForm& Form);
  bool IsKeyMessageHandled(const MSG& Msg);
  // Dispatches one message; an exception from its handler goes to the error box.
  void DispatchGuarded(const MSG& Msg);
  void ShowMainForm();
  void ActivateMainForm();
  HWND ActiveOwner() const;

  static TInitProc initProc_;
  static TEndSessionProc endSessionProc_;
  bool initialized_ = false;
  bool done_ = false;
  std::string title_;
  HWND handle_ = nullptr;
  TForm* mainForm_ = nullptr;
  bool terminated_ = false;
  TMessageBoxFn messageBox_;
};

// The application object, made by the toolkit's start-up routine (null before and after).
extern TApplication* Application;

// Destroys what the application owns (its forms, the main form hidden first) with the
// application marked as destroying. The program calls it after Run and before the modules
// shut down; the toolkit's shut-down calls it again, which then does nothing.
void DoneApplication();
