#include "app/DravikApplication.h"

juce::JUCEApplicationBase* juce_CreateApplication()
{
    return new DravikApplication();
}

int main(int argc, char* argv[])
{
    juce::JUCEApplicationBase::createInstance = &juce_CreateApplication;
    return juce::JUCEApplication::main(argc, const_cast<char const**>(argv));
}
