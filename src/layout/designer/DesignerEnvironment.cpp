#include "layout/designer/DesignerEnvironment.h"

namespace vellora {

namespace {
DesignerEnvironment &installed()
{
    static DesignerEnvironment environment;
    return environment;
}
}  // namespace

void SetDesignerEnvironment(const DesignerEnvironment &environment) { installed() = environment; }
const DesignerEnvironment &CurrentDesignerEnvironment() { return installed(); }

}  // namespace vellora
