// The script interface as the host reads it: the text stored under "msgTable".
#pragma once

extern const char messageTable[];
