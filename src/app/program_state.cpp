#include "app/program_state.h"

namespace chronalign {

ProgramState Program;

}  // namespace chronalign
