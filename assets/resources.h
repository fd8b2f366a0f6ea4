// Names of the program's resources, shared by the resource script and the code that loads them.
#pragma once

#define CORVANE_ICON_GROUP "DEFAULT_ICON"
#define CORVANE_BACKGROUND_PICTURE "BACKGROUND_PICTURE"
