// Ids of the string table, shared by resources/strings.rc and the program. Plain #defines:
// the resource compiler reads this file too.
#pragma once

// Messages (every box has the caption IDS_CAPTION_ERROR and MB_OK).
#define IDS_NO_MEMORY 1              // メモリが足りません。
#define IDS_INIT_FAILED 2            // 初期化に失敗しました。
#define IDS_DATA_MISSING 3           // データが欠落しています。
#define IDS_CANNOT_OPEN_FILE 4       // ファイルを開くことが出来ません。
#define IDS_SETUP_FILE_UNOPENABLE 5  // セットアップに必要なファイルを開く…
#define IDS_PROGRAM_UNOPENABLE 6     // (same text as 5, for the program file)
#define IDS_CANNOT_CREATE_FILE 7     // ファイルを作成出来ませんでした。%s
#define IDS_CANNOT_READ_FILE 8       // ファイルの読み込みに失敗しました。%s
#define IDS_CANNOT_WRITE_FILE 9  // ファイルへデータを書き込めませんでした。%s
#define IDS_INSERT_DISK 10       // %sを挿入してください。
#define IDS_WRONG_DISK 11        // ディスクが違います。
#define IDS_SETUP_FAILED 12      // セットアップに失敗しました。
#define IDS_COPYING_FILES 13     // ファイルをコピーしています。
#define IDS_MAKING_SHORTCUTS 14  // ショートカットを作成しています。
#define IDS_RUNNING_PROGRAMS 15  // 外部プログラムを実行中です。
#define IDS_CANNOT_CREATE_FOLDER 16  // フォルダの作成に失敗しました。%s
#define IDS_REMOVING_OLD_FILES 17  // インストールされていたファイルを削除しています。
#define IDS_UNINSTALLING 18     // アンインストール中です。
#define IDS_PATH_TOO_LONG 19    // インストール先のファイル名が長すぎます。
#define IDS_SEEK_FAILED 20      // シークに失敗しました。
#define IDS_SHORTCUT_FAILED 21  // ショートカットの作成に失敗しました。
#define IDS_EXPAND_FAILED 22    // 圧縮ファイルの展開に失敗しました。%s
#define IDS_BAD_COMMAND_LINE 23  // コマンドラインパラメーターが間違っています。%s
#define IDS_RESTART_FIRST 24  // 一度再起動をして再度実行して下さい。
#define IDS_SETUP_BUSY 25     // インストール中、もしくはアンインストール中…
#define IDS_ALREADY_INSTALLED 26  // このプログラムは、既にインストールされています。
#define IDS_INSTALL_COMPLETE 27    // インストール完了。
#define IDS_UNINSTALL_COMPLETE 28  // アンインストール完了。
#define IDS_FOLDER_TAKEN 29  // そのフォルダには、既に他のアプリケーション…
#define IDS_NO_ADDITIONAL_INSTALL 30  // このソフトウェアは、追加インストールを…
#define IDS_UPDATE_TARGET_MISSING 31  // アップデートするソフトウェアが見つかりません。
#define IDS_COPY_FAILED 32            // ファイルのコピーに失敗しました。
#define IDS_BACKUP_FAILED 33  // ファイルのバックアップに失敗しました。
#define IDS_LOST_INSTALLED_FILES 34  // 既にインストールされていた一部のファイルを失いました。
#define IDS_NOT_ADMINISTRATOR 35  // このアカウントは、管理者権限(Administrator)を…
#define IDS_FORBIDDEN_CHARACTERS 36  // 次の文字を含むことは出来ません

// Texts of the packing tool's family, kept in the table.
#define IDS_PACK_SOURCE_MISSING 100
#define IDS_PACK_CREATE_FAILED 101
#define IDS_PACK_COMPRESS_FAILED 102
#define IDS_PACK_OPEN_FAILED 103
#define IDS_UNPACK_CREATE_FAILED 104
#define IDS_UNPACK_FAILED 105
#define IDS_PACK_DAMAGED 106
#define IDS_PACK_NOT_A_PACK 107
#define IDS_PACK_TOO_LARGE 108
#define IDS_DISK_FULL 109
#define IDS_WRITE_FAILED 110
#define IDS_PACK_DISK_OR_DAMAGE 111
#define IDS_READ_ONLY_OVERWRITE 112
#define IDS_READ_ONLY_ATTRIBUTE 113

#define IDS_CAPTION_ERROR 2000        // エラー
#define IDS_START_INSTALL 40103       // インストール開始
#define IDS_BROWSE_FOLDER 40113       // フォルダの参照
#define IDS_BROWSE_MENU 40114         // メニューの参照
#define IDS_RESTARTING 41010          // 再起動中
#define IDS_UNINSTALLING_FILES 41012  // ファイルをアンインストール中です
