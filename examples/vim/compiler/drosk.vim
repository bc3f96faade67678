" Vim compiler file for drosk: javac's messages as drosk relays them, with CR LF line ends.
" Copy it to ~/.vim/compiler/, then, in the directory of drosk.ini:
"   :compiler drosk
"   :make -d build/classes -sourcepath ifdef-src %
" -sourcepath (your source folder) lets javac find the classes the file uses, in the processed tree.
" Each pattern ends in %\r, the CR before the line end: the message keeps no ^M, and the caret
" line under the quoted source line gives the column. drosk's own "drosk.ini:N: Error" (no line
" end) is an entry too.
if exists("current_compiler")
  finish
endif
let current_compiler = "drosk"
if exists(":CompilerSet") != 2
  command -nargs=* CompilerSet setlocal <args>
endif
let s:cpo_save = &cpo
set cpo&vim

CompilerSet makeprg=drosk
CompilerSet errorformat=%E%f:%l:\ error:\ %m%\\r,
                       \%W%f:%l:\ warning:\ %m%\\r,
                       \%-Z%p^%\\r,
                       \%f:%l:\ %trror,
                       \%-C%.%#,
                       \%-G%.%#

let &cpo = s:cpo_save
unlet s:cpo_save
