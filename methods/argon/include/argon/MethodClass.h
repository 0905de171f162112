// The members every encryption method's Main offers the engine, bound by name: one description for all
// of them, so that no method lacks one or spells it otherwise.
#pragma once

#include "component/ClassBuilder.h"

namespace velmora::argonbox {

template <class Method>
const ClassInfo& methodClassInfo() {
    static const ClassInfo info =
        ClassBuilder<Method>(u"Main")
            .propertyGet(u"MethodName", &Method::MethodName)
            .method(u"EncryptByte", &Method::EncryptByte, {u"ByteIn", opt(u"KEY"), opt(u"objEventHandler")})
            .method(u"DecryptByte", &Method::DecryptByte, {u"ByteIn", opt(u"KEY"), opt(u"objEventHandler")})
            .method(u"EncryptString", &Method::EncryptString, {u"Text", opt(u"KEY"), opt(u"objEventHandler")})
            .method(u"DecryptString", &Method::DecryptString, {u"Text", opt(u"KEY"), opt(u"objEventHandler")})
            .method(u"EncryptFile", &Method::EncryptFile,
                    {u"SourceFile", u"DestFile", opt(u"KEY"), opt(u"objEventHandler")})
            .method(u"DecryptFile", &Method::DecryptFile,
                    {u"SourceFile", u"DestFile", opt(u"KEY"), opt(u"objEventHandler")})
            .method(u"FileExist", &Method::FileExist, {u"FileName"})
            .event(u"Progress", {arg(u"Percent", VarType::Long)})
            .event(u"Error", {arg(u"Number", VarType::Long), arg(u"Description", VarType::String),
                              arg(u"Source", VarType::String)})
            .build();
    return info;
}

}  // namespace velmora::argonbox
