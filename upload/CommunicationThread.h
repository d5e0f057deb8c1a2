#pragma once
// One exchange with the upload server on a thread of its own: the request object is POSTed as
// JSON to "http://www." + ServerKey + "/asup" and the reply is read back into Result. The creator
// fills ServerKey and Request before Resume, polls Finished(), then takes Result and destroys the
// worker; a worker is never reused.
//
// When Execute has finished, Result holds the server's reply object or exactly one member
// "ServerError" with the reason; of a reply that is not JSON it quotes only the start. Destroying
// a worker whose exchange is still going on aborts the exchange instead of waiting for the server.

#include <memory>
#include <string>

#include "platform/net/HttpClient.h"
#include "platform/net/Thread.h"
#include "upload/Json.h"

class CommunicationThread final : public TThread {
public:
    // Every creator passes true; false starts the exchange at once.
    explicit CommunicationThread(bool createSuspended);
    ~CommunicationThread() override;

    std::unique_ptr<TIdHTTP> Http; // used only on the worker's own thread
    std::string ServerKey;         // written by the creator before Resume only
    json::Object Request;          // written by the creator before Resume only
    json::Object Result;           // written by Execute; read once Finished() is true

    // Time limits of the exchange in milliseconds; running out of time fails the POST.
    long ConnectTimeoutMs = 10000;
    long TotalTimeoutMs = 30000;

protected:
    void Execute() override;
};
