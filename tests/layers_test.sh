#!/bin/sh
# Each source folder includes only headers of its own layer and the layers
# below it: runtime < core < {convert, batch, chm} < app < ui; tools/ reach
# only runtime. Prints every include that points up or sideways.
root=${1:-$(dirname "$0")/..}
layers='runtime|core|convert|batch|chm|app|ui'
status=0
check() {  # folder, the layers it may include
  bad=$(grep -rnE "^#include \"(\.\./)*(src/)?($layers)/" "$root/$1" | grep -vE "#include \"(\.\./)*(src/)?($2)/")
  if [ -n "$bad" ]; then echo "$bad"; status=1; fi
}
check src/runtime 'runtime'
check src/core 'runtime|core'
check src/convert 'runtime|core|convert'
check src/batch 'runtime|core|batch'
check src/chm 'runtime|core|chm'
check src/app 'runtime|core|convert|batch|chm|app'
check src/ui "$layers"
check tools 'runtime'
exit $status
