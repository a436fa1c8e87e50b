<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US" sourcelanguage="zh_CN">
<context>
    <name>AdvanceparamWidget</name>
    <message>
        <source>个</source>
        <translation>pcs</translation>
    </message>
</context>
<context>
    <name>BMessageBox</name>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
</context>
<context>
    <name>CameraParamsSubWidget</name>
    <message>
        <source>恢复默认</source>
        <translation>Restore defaults</translation>
    </message>
    <message>
        <source>排序</source>
        <translation>Reorder</translation>
    </message>
</context>
<context>
    <name>FullKeyboard</name>
    <message>
        <source>小写</source>
        <translation>Lower</translation>
    </message>
    <message>
        <source>大写</source>
        <translation>Capital</translation>
    </message>
    <message>
        <source>符号</source>
        <translation>Symbol</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>Confirm</translation>
    </message>
    <message>
        <source>退格</source>
        <translation>BS</translation>
    </message>
</context>
<context>
    <name>MessageDialog</name>
    <message>
        <source>确定</source>
        <translation>Confirm</translation>
    </message>
    <message>
        <source>否</source>
        <translation>NO</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>是</source>
        <translation>YES</translation>
    </message>
</context>
<context>
    <name>NetworkParamsWidget</name>
    <message>
        <source>网卡</source>
        <translation>Network card</translation>
    </message>
    <message>
        <source>串口</source>
        <translation>Serial port</translation>
    </message>
    <message>
        <source>MAC地址:</source>
        <translation>MAC address:</translation>
    </message>
    <message>
        <source>IP地址</source>
        <translation>IP address</translation>
    </message>
    <message>
        <source>设备号</source>
        <translation>Device No.</translation>
    </message>
    <message>
        <source>子网掩码</source>
        <translation>Subnet mask</translation>
    </message>
    <message>
        <source>使用此网卡联网</source>
        <translation>Use this card for networking</translation>
    </message>
    <message>
        <source>网关</source>
        <translation>Gateway</translation>
    </message>
    <message>
        <source>功能</source>
        <translation>Function</translation>
    </message>
    <message>
        <source>测试连接</source>
        <translation>Test connection</translation>
    </message>
    <message>
        <source>视频类型</source>
        <translation>Video type</translation>
    </message>
    <message>
        <source>不传输视频</source>
        <translation>No video</translation>
    </message>
    <message>
        <source>截屏图像</source>
        <translation>Screen image</translation>
    </message>
    <message>
        <source> 相机图像</source>
        <translation> Camera image</translation>
    </message>
</context>
<context>
    <name>PageControlBar</name>
    <message>
        <source>页码</source>
        <translation>Page No.</translation>
    </message>
    <message>
        <source>请输入正数</source>
        <translation>Please enter a positive number</translation>
    </message>
    <message>
        <source>页</source>
        <translation>Page</translation>
    </message>
</context>
<context>
    <name>SplashWidget</name>
    <message>
        <source>模内监控器</source>
        <translation>In-Mould Monitor</translation>
    </message>
</context>
<context>
    <name>SystemFunctionsWidget</name>
    <message>
        <source>设置密码</source>
        <translation>Set password</translation>
    </message>
    <message>
        <source>建议设置6个以上字符</source>
        <translation>6 or more characters recommended</translation>
    </message>
    <message>
        <source>确认:</source>
        <translation>Confirm:</translation>
    </message>
</context>
<context>
    <name>SystemParamsWidget</name>
    <message>
        <source>设置密码</source>
        <translation>Set password</translation>
    </message>
    <message>
        <source>建议设置6个以上字符</source>
        <translation>6 or more characters recommended</translation>
    </message>
    <message>
        <source>确认:</source>
        <translation>Confirm:</translation>
    </message>
</context>
<context>
    <name>SystemSettingWidget</name>
    <message>
        <source>选择投影数据文件目录</source>
        <translation>Select the program update file</translation>
    </message>
    <message>
        <source>数据导出失败</source>
        <translation>Export failed</translation>
    </message>
    <message>
        <source>程序更新失败</source>
        <translation>The update could not be staged</translation>
    </message>
    <message>
        <source>时间设置失败</source>
        <translation>The time could not be set</translation>
    </message>
</context>
<context>
    <name>UserManager</name>
    <message>
        <source>警告</source>
        <translation>Warning</translation>
    </message>
    <message>
        <source>没有权限 !</source>
        <translation>No permission !</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>Confirm</translation>
    </message>
    <message>
        <source>您没有权限添加该账户!</source>
        <translation>You have no permission to add this account!</translation>
    </message>
    <message>
        <source>账户已存在!</source>
        <translation>The account already exists!</translation>
    </message>
    <message>
        <source>账户添加成功!</source>
        <translation>Account added successfully!</translation>
    </message>
    <message>
        <source>不能删除自身!</source>
        <translation>You cannot delete your own account!</translation>
    </message>
    <message>
        <source>该用户不存在!</source>
        <translation>This user does not exist!</translation>
    </message>
    <message>
        <source>你没有权限删除该用户!</source>
        <translation>You have no permission to delete this user!</translation>
    </message>
    <message>
        <source>密码已更新!</source>
        <translation>Password updated!</translation>
    </message>
    <message>
        <source>旧密码不正确!</source>
        <translation>The old password is incorrect!</translation>
    </message>
    <message>
        <source>账户切换成功!</source>
        <translation>Account switched successfully!</translation>
    </message>
    <message>
        <source>密码错误!</source>
        <translation>Wrong password!</translation>
    </message>
    <message>
        <source>数据库写入失败!</source>
        <translation>The database refused the change!</translation>
    </message>
</context>
<context>
    <name>lightsettingdialog</name>
    <message>
        <source>网络设置</source>
        <translation>Network Settings</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>Confirm</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>StatisticsWidget</name>
    <message>
        <source>温度</source>
        <translation>Temperature</translation>
    </message>
    <message>
        <source>周期 %1</source>
        <translation>Cycle %1</translation>
    </message>
    <message>
        <source>数据导出失败</source>
        <translation>Export failed</translation>
    </message>
</context>
<context>
    <name>TemperatureStatisticsWidget</name>
    <message>
        <source>温度%1</source>
        <translation>Temperature %1</translation>
    </message>
</context>
</TS>
