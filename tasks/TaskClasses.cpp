#include "tasks/TaskClasses.h"
