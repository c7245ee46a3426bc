#pragma once

#include <Tavrin/App/Application/Application.h>

namespace Kestrel {

// The product's application object: the library's start-up with the product's quit policy.
class KestrelApplication : public Tavrin::App::Application
{
    Q_OBJECT

public:
    KestrelApplication(int& argc, char** argv);

private:
    // Kestrel has no unsaved work to ask about, so it always agrees to quit.
    bool TryToQuitImpl() override;
};

}  // namespace Kestrel
