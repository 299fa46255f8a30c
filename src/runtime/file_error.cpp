#include "runtime/file_error.h"

#include <cerrno>

#include "runtime/encoding.h"

namespace qm {

Text FileErrorText(int code) {
  switch (code) {
    case 0: return {};
    case ENOSPC: return Gbk("磁盘已满");
    case EACCES:
    case EPERM: return Gbk("没有权限");
    case EROFS: return Gbk("是只读文件系统");
    case ENOENT: return Gbk("文件或文件夹不存在");
    case EEXIST: return Gbk("已存在同名文件");
    case EISDIR: return Gbk("是文件夹");
    case ENAMETOOLONG: return Gbk("名称太长");
    case EIO: return Gbk("读写出错");
    case EFBIG: return Gbk("超出文件大小限制");
    // Refused as "not a regular file" (a FIFO, a device, a socket).
    case EINVAL:
    case ENXIO:
    case ENODEV: return Gbk("不是普通文件");
    case ENOTDIR: return Gbk("路径中有一段不是文件夹");
    case ENOTEMPTY: return Gbk("文件夹不是空的");
    case ELOOP: return Gbk("是链接");
    case EXDEV: return Gbk("不在同一个磁盘上");
    case EBUSY: return Gbk("正被使用");
    case EDQUOT: return Gbk("超出磁盘配额");
    case ESTALE: return Gbk("文件夹在处理中被换掉了");
    case kChangedSinceRead: return Gbk("文件在处理中被改动了");
    case kUnusableName: return Gbk("不能用作文件名");
    case kCopyChanged: return Gbk("新写的文件在处理中被改动或移走了");
    default: return Gbk("系统错误 ") + ToText(code);
  }
}

Text FileError::Reason() const { return FileErrorText(code); }

Text WithReason(const Text& message, FileError error) {
  if (error.code == 0) return message;
  return message + Gbk("（") + error.Reason() + Gbk("）");
}

}  // namespace qm
