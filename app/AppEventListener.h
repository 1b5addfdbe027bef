#pragma once

// An object that is asked before the program closes. Creating a listener
// registers it with the application object; it stays registered for the rest
// of the program.
//
// Answers of the close query:
//   0  nothing to say (the application asks the user itself),
//   6  settled with the user (for example the changes were saved or dropped),
//   7  veto: the program stays open.
class AppEventListener {
public:
    static constexpr int NothingToSay = 0;
    static constexpr int Settled = 6;
    static constexpr int Veto = 7;

    AppEventListener();
    virtual ~AppEventListener();

    AppEventListener(const AppEventListener&) = delete;
    AppEventListener& operator=(const AppEventListener&) = delete;

    virtual int closeQuery() { return NothingToSay; }
};
