// java.util.Enumeration (interface id 54): an object that implements it returns this sub-object
// from getInterface(kClass_java_util_Enumeration), and the calls take it as the receiver.
#pragma once

class Object;

class java_util_Enumeration {
public:
    virtual bool hasMoreElements() = 0;  // slot 0
    virtual Object* nextElement() = 0;   // slot 1

protected:
    ~java_util_Enumeration() = default;
};
