#pragma once

#include <QObject>

// Watches the Esc key so that long paint loops can stop. The flag is set when
// Esc is pressed anywhere in the application and cleared only by reset();
// painting code resets it before its work and polls the returned address.
// (The desktop offers no asynchronous key state, so an application-wide key
// filter takes the place of a polling thread.)
class TEscapeThread : public QObject {
    Q_OBJECT
public:
    // Created on first use.
    static TEscapeThread& instance();

    // Clears the flag and returns its address.
    const volatile unsigned char* reset();
    bool escapePressed() const { return m_flag != 0; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    TEscapeThread();

    volatile unsigned char m_flag = 0;
};
