#pragma once

#include <Tavrin/App/TavrinAppExport.h>

#include <functional>
#include <string>

namespace Tavrin {
namespace ExternalStimulus {

// A prompt the application would like to show: "EMAIL_DIALOG" or "THANK_FOR_INSTALL".
struct Stimulus
{
    std::string id;
    std::function<void()> action;
};

// The product's scheduler of prompts. It decides when, if ever, to run a stimulus.
class TAVRIN_APP_EXPORT IGateway
{
public:
    virtual ~IGateway();
    virtual void AddStimulus(const Stimulus& stimulus) = 0;
};

}  // namespace ExternalStimulus
}  // namespace Tavrin
