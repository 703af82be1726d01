#include "port_errors.h"

#include "link/loss_words.h"

namespace quellbox::link::win {

const char* loss_words_of(DWORD error) {
    switch (error) {
        // What reads and writes on a pulled USB adapter fail with, depending on its driver, and
        // on a pseudo-terminal whose far end closed (wine).
        case ERROR_BROKEN_PIPE:
        case ERROR_DEVICE_NOT_CONNECTED:
        case ERROR_DEVICE_REMOVED:
        case ERROR_DEV_NOT_EXIST:
        case ERROR_FILE_NOT_FOUND:
        case ERROR_BAD_COMMAND:
        case ERROR_GEN_FAILURE:
        case ERROR_ACCESS_DENIED:
        case ERROR_OPERATION_ABORTED:
            return loss_words::hung_up;
        default:
            return loss_words::failed;
    }
}

}  // namespace quellbox::link::win
