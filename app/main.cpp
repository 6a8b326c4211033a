#include "app/CorvalaApp.h"

wxIMPLEMENT_APP(CorvalaApp);
