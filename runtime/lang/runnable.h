// java.lang.Runnable (interface id 43): an object that implements it returns this sub-object from
// getInterface(kClass_java_lang_Runnable), and run() is called with it as the receiver.
#pragma once

class java_lang_Runnable {
public:
    virtual void run() = 0;

protected:
    ~java_lang_Runnable() = default;
};
