// The front end in use.
#include "cad/ui/frontend.h"

#include "cad/ui/console/console_frontend.h"

namespace qxui {

namespace {

std::unique_ptr<FrontEnd>& current()
{
    static std::unique_ptr<FrontEnd> frontEnd = std::make_unique<ConsoleFrontEnd>();
    return frontEnd;
}

}  // namespace

FrontEnd& frontEnd() { return *current(); }

std::unique_ptr<FrontEnd> setFrontEnd(std::unique_ptr<FrontEnd> frontEnd)
{
    std::unique_ptr<FrontEnd> previous = std::move(current());
    current() = frontEnd ? std::move(frontEnd) : std::make_unique<ConsoleFrontEnd>();
    return previous;
}

}  // namespace qxui
