// Where the application's resource files (images) are.
#pragma once

// The application's resource folder, without a trailing slash: the folder
// named by PLENMORA_RESOURCES when that is set, else the folder "resources"
// next to the executable when there is one, else the installed one
// (<datadir>/Plenmora/resources, where the install rule puts the images).
// The string stays valid until the next call on the same thread.
const char* SWELL_GetResourcePath();
